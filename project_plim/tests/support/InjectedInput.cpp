#include "InjectedInput.h"

#include "core/Context.h"
#include "core/Plim.h"

#include <cctype>

void InjectedInput::key(SDLKey sym, bool down, Uint16 unicode) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sym;
    event.key.keysym.unicode = down ? unicode : 0;
    SDL_PushEvent(&event);
}

void InjectedInput::typeKey(SDLKey sym, Uint16 unicode) {
    key(sym, true, unicode);
    frame();
    key(sym, false);
    frame();
}

void InjectedInput::typeLine(const char* text) {
    for (const char* c = text; *c; ++c) {
        SDLKey sym = SDLK_UNKNOWN;
        if (isalpha((unsigned char)*c))
            sym = SDLKey(SDLK_a + (tolower((unsigned char)*c) - 'a'));
        else if (isdigit((unsigned char)*c))
            sym = SDLKey(SDLK_0 + (*c - '0'));
        else if (*c == ' ')
            sym = SDLK_SPACE;
        else if (*c == '.')
            sym = SDLK_PERIOD;
        typeKey(sym, (Uint16)(unsigned char)*c);
    }
    typeKey(SDLK_RETURN, 13);
}

void InjectedInput::activeEvent(bool gain, Uint8 state) {
    SDL_Event event = {};
    event.type = SDL_ACTIVEEVENT;
    event.active.type = SDL_ACTIVEEVENT;
    event.active.gain = gain ? 1 : 0;
    event.active.state = state;
    SDL_PushEvent(&event);
}

void InjectedInput::pump() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) PLIM->sdlOnEvent(&event);
}

void InjectedInput::frame(Context* root) {
    pump();
    PLIM->frame(root);
}
