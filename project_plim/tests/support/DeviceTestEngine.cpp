#include "DeviceTestEngine.h"

#include "EngineTestFolder.h"
#include "EventManager.h"
#include "FileManager.h"
#include "FontGDI.h"
#include "Logger.h"
#include "MemoryIniFile.h"
#include "Plim.h"
#include "PlimGraphics.h"
#include "PlimInput.h"
#include "PlimUtil.h"
#include "TimeKeeper.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

DeviceTestEngine::DeviceTestEngine(bool withInput) {
    engine = new Plim(Plim::Bare{});
    engine->log = new Logger();
    // Many SDL starts in one process can find the X server's connection queue
    // full for a moment (EAGAIN); a real run starts SDL once.
    for (int attempt = 0; SDL_Init(SDL_INIT_VIDEO) != 0; ++attempt) {
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
    engine->eventManager = new EventManager();
    if (withInput) engine->input = new PlimInput();
    engine->graphics = new PlimGraphics();
    if (engine->input) engine->input->resetMouse();
    engine->debugFont = new FontGDI();
    engine->frameTimer.start(0.001);
}

DeviceTestEngine::~DeviceTestEngine() {
    delete engine->debugFont;
    engine->debugFont = nullptr;
    delete engine->graphics;
    engine->graphics = nullptr;
    delete engine->input;
    engine->input = nullptr;
    delete engine->eventManager;
    engine->eventManager = nullptr;
    delete engine->config;
    engine->config = nullptr;
    delete engine->fileManager;
    engine->fileManager = nullptr;
    delete engine->timeKeeper;
    engine->timeKeeper = nullptr;
    SDL_Quit();
    delete engine->log;
    engine->log = nullptr;
    delete engine;
    PLIM = nullptr;
}

void DeviceTestEngine::endFrame() {
    engine->frameTimer.wait();
    if (engine->input) engine->input->update();
}

void DeviceTestEngine::pumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (engine->input) engine->input->onSdlEvent(event);
}
