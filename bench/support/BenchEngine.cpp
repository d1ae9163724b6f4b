#include "BenchEngine.h"

#include "files/FileManager.h"
#include "core/Plim.h"

BenchEngine::BenchEngine(const std::string& extraSettings, const std::function<void()>& writeFiles) {
    folder.writeStaticSettings();
    folder.writeUserSettings("bTrackMouse=No\n" + extraSettings);
    if (writeFiles) writeFiles();
    new Plim();
    PLIM->fileManager->bUseWad = false;
}

BenchEngine::~BenchEngine() {
    delete PLIM;
    PLIM = nullptr;
}
