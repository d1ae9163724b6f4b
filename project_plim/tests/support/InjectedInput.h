#pragma once
// Input for tests that run the real engine: events go through SDL's own queue
// (SDL_PushEvent) and reach the engine the way the application's loop passes
// them on.
#include <SDL.h>

class InjectedInput {
public:
    static void key(SDLKey sym, bool down, Uint16 unicode = 0);
    // Down, a frame, up, a frame: one typed character.
    static void typeKey(SDLKey sym, Uint16 unicode);
    // Types text of letters, digits, blanks and periods, then Return.
    static void typeLine(const char* text);
    static void activeEvent(bool gain, Uint8 state);
    // Hands every queued event to the engine.
    static void pump();
    // pump, then one engine frame over root.
    static void frame(class Context* root = nullptr);
};
