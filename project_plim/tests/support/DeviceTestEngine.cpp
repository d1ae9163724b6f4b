#include "DeviceTestEngine.h"

#include "BareEngine.h"
#include "input/EventManager.h"
#include "render/FontGDI.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"

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
