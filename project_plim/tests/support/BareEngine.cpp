#include "BareEngine.h"

#include "input/Console.h"
#include "core/ErrorManager.h"
#include "input/EventManager.h"
#include "files/FileManager.h"
#include "render/FontGDI.h"
#include "core/Logger.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "net/PlimNetwork.h"
#include "util/PlimUtil.h"
#include "core/ResourceManager.h"
#include "core/TimeKeeper.h"
#include "language/Language.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
template <class T>
void drop(T*& part) {
    delete part;
    part = nullptr;
}
} // namespace

Plim* BareEngine::withFiles() {
    Plim* engine = new Plim(Plim::Bare{});
    engine->log = new Logger();
    engine->fileManager = new FileManager();
    engine->fileManager->bUseWad = false;
    return engine;
}

Plim* BareEngine::withSettings(bool withVideo) {
    Plim* engine = new Plim(Plim::Bare{});
    engine->log = new Logger();
    // Many SDL starts in one process can find the X server's connection queue
    // full for a moment (EAGAIN); a real run starts SDL once.
    for (int attempt = 0; withVideo && SDL_Init(SDL_INIT_VIDEO) != 0; ++attempt) {
        if (attempt == 50) {
            fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
            abort();
        }
        usleep(20000);
    }
    engine->timeKeeper = new TimeKeeper();
    engine->fileManager = new FileManager();
    engine->fileManager->bUseWad = false;
    engine->config = new MemoryIniFile(getUserDataFolder(true) + PLIM_BUILD_NAME + ".cfg");
    return engine;
}

void BareEngine::shutDown(Plim* engine) {
    drop(engine->language);
    drop(engine->network);
    drop(engine->console);
    drop(engine->debugFont);
    drop(engine->audio);
    drop(engine->graphics);
    drop(engine->input);
    drop(engine->eventManager);
    drop(engine->resourceManager);
    drop(engine->config);
    drop(engine->fileManager);
    drop(engine->timeKeeper);
    drop(engine->errorManager);
    SDL_Quit();
    drop(engine->log);
    delete engine;
    PLIM = nullptr;
}
