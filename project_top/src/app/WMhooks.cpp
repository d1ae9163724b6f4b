#include "WMhooks.h"

#include "app/ContextManager.h"
#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "MyGlobal.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "core/ProcessSignals.h"
#include "util/UString.h"
#include "files/SaveFailures.h"
#include "files/UserNotices.h"
#include "util/PlimUtil.h"

#include <SDL.h>
#include <cstdio>
#include <vector>

namespace {

Global* createGame() { return new MyGlobal(); }

// Any Alt or Meta (Command) key.
const int QUIT_MODIFIERS = 0x0F00;

bool firstFrameDone = false;
bool shutdownStarted = false;

} // namespace

ApplicationFactory applicationFactory = createGame;

int SDL_main(int argc, char** argv) {
    for (;;) {
        bool quit = false;
        SDL_Event event;
        // Before the engine exists SDL is not started and there is nothing to poll.
        while (PLIM && SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_KEYDOWN:
                if (event.key.keysym.sym == SDLK_F4 && (event.key.keysym.mod & QUIT_MODIFIERS)) quit = true;
                break;
            case SDL_MOUSEBUTTONDOWN:
                onMouseButtonDown(event.button.x, event.button.y);
                break;
            case SDL_QUIT:
                quit = true;
                break;
            case SDL_ACTIVEEVENT:
                if (event.active.state & SDL_APPINPUTFOCUS) {
                    if (event.active.gain == 1)
                        windowFocusGained();
                    else
                        windowFocusLost();
                }
                break;
            default:
                break;
            }
            if (PLIM) PLIM->sdlOnEvent(&event);
        }
        const bool more = doFrame();
        firstFrameDone = true;
        if (!more || quit) break;
        if (ProcessSignals::quitRequested()) {
            logTagged("SDL_main", "%s: shutting down.", ProcessSignals::quitReason());
            break;
        }
    }
    shutdown();
    return 0;
}

bool doFrame() {
    try {
        if (!PLIM) {
            Plim* engine = new Plim();
            PLIM = engine;
            gGlobal = applicationFactory();
            gGlobal->initPreLoader();
            PLIM->log->print("%s(): %s", "doFrame", "Entering game loop.");
        }
        PLIM->frame(gGlobal->contextManager);
    } catch (...) {
        ErrorManager::errorAt("doFrame", __FILE__, __LINE__, "Unhandled exception.");
    }
    return !gGlobal->contextManager->bQuit;
}

void onMouseButtonDown(int x, int y) {
    if (PLIM && PLIM->input) PLIM->input->setMouseGrab(true, float(x), float(y), 0.0f);
}

void windowFocusGained() {
    if (!PLIM) return;
    PLIM->log->print("%s(): %s", "windowFocusGained", "Window focus gained.");
    PLIM->bWindowFocus = true;
}

void windowFocusLost() {
    if (!PLIM) return;
    PLIM->log->print("%s(): %s", "windowFocusLost", "Window focus lost.");
    PLIM->bWindowFocus = false;
}

void shutdown() {
    shutdownStarted = true;
    SDL_PauseAudio(1);
    delete gGlobal;
    gGlobal = nullptr;
    delete PLIM;
    PLIM = nullptr;
    // No screen is left to show what went wrong while saving on the way out:
    // it goes to standard error, and the next start tells the failed saves.
    const std::vector<UString> unseen = UserNotices::take();
    for (const UString& notice : SaveFailures::sayLostAtExit(getUserDataFolder(true), unseen))
        UserNotices::sayAsProgram(notice);
}

void endAfterLostDisplay() {
    if (firstFrameDone && !shutdownStarted) shutdown();
}
