#include "Config.h"

#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "util/PlimUtil.h"

UString Config::getCRASHLOGfile() {
    return Logger::crashLogPath();
}

UString Config::getCRASHSCREENSHOTfile() {
    return ErrorManager::crashScreenshotPath();
}

UString Config::getCRASHNETTRAFFICfile() {
    return getUserDataFolder(true) + "crash." + PLIM_BUILD_NAME + ".net";
}
