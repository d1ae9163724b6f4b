#include "NetTestEngine.h"

#include "files/FileManager.h"
#include "core/Logger.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "core/TimeKeeper.h"
#include "net/PlimNetwork.h"

NetTestEngine::NetTestEngine(bool emulate) {
    folder.writeUserSettings(emulate ? "" : "[PlimNetwork]\nbEmulateLocalhost=No\n");
    engine = new Plim(Plim::Bare{});
    engine->log = new Logger();
    engine->timeKeeper = new TimeKeeper();
    engine->fileManager = new FileManager();
    engine->fileManager->bUseWad = false;
    engine->config = new MemoryIniFile(getUserDataFolder(true) + PLIM_BUILD_NAME + ".cfg");
    engine->network = new PlimNetwork();
}

NetTestEngine::~NetTestEngine() { close(); }

void NetTestEngine::advance(double seconds) { ticks.advance(static_cast<uint32_t>(seconds * 1000.0 + 0.5)); }

LogText NetTestEngine::log() const {
    if (engine && engine->log)
        engine->log->flush();
    return LogText(EngineTestFolder::readFile(folder.logPath()));
}

LogText NetTestEngine::close() {
    if (engine) {
        delete engine;
        engine = nullptr;
        PLIM = nullptr;
    }
    return log();
}
