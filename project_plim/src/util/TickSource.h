#pragma once
// Where the engine clock gets its milliseconds and how it sleeps. The engine
// uses the process-wide millisecond counter and SDL_Delay; tests install a
// source of their own so that time moves only when they say so.
#include <cstdint>

class TickSource {
public:
    virtual ~TickSource() = default;
    // Milliseconds of the process-wide counter (getMilliseconds, low 32 bits).
    virtual uint32_t getTicks();
    // Sleeps for the given number of milliseconds.
    virtual void delay(uint32_t milliseconds);

    // The source in use; never null (the platform's unless one was installed).
    static TickSource* get() { return current; }
    // Installs a source (not owned); null restores the platform's.
    static void install(TickSource* source);

private:
    static TickSource* current;
};
