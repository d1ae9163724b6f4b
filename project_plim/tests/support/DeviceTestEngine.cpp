#include "DeviceTestEngine.h"

#include "BareEngine.h"
#include "EventManager.h"
#include "FontGDI.h"
#include "Plim.h"
#include "PlimGraphics.h"
#include "PlimInput.h"

#include <SDL.h>

DeviceTestEngine::DeviceTestEngine(bool withInput) {
    engine = BareEngine::withSettings(true);
    engine->eventManager = new EventManager();
    if (withInput) engine->input = new PlimInput();
    engine->graphics = new PlimGraphics();
    if (engine->input) engine->input->resetMouse();
    engine->debugFont = new FontGDI();
    engine->frameTimer.start(0.001);
}

DeviceTestEngine::~DeviceTestEngine() { BareEngine::shutDown(engine); }

void DeviceTestEngine::endFrame() {
    engine->frameTimer.wait();
    if (engine->input) engine->input->update();
}

void DeviceTestEngine::pumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (engine->input) engine->input->onSdlEvent(event);
}
