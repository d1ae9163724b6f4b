#include "Config.h"

#include "ErrorManager.h"
#include "Logger.h"
#include "PlimUtil.h"

UString Config::getCRASHLOGfile() {
    return Logger::crashLogPath();
}

UString Config::getCRASHSCREENSHOTfile() {
    return ErrorManager::crashScreenshotPath();
}

UString Config::getCRASHNETTRAFFICfile() {
    return getUserDataFolder(true) + "crash." + PLIM_BUILD_NAME + ".net";
}
