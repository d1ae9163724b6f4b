#pragma once
// The random generator every side of a network game shares (MT19937): seeded
// with one value through the command stream, it gives the server and each
// client the same numbers as long as they draw in the same order. Draws are
// allowed only in code that runs on every side.
#include <cstdint>

class NetRandom {
public:
    enum { STATE_WORDS = 624, UNSEEDED = 625, DEFAULT_SEED = 5489 };

    NetRandom();

    void seed(uint32_t seed);
    // 0 .. n-1; n = 0 gives 0 without drawing.
    uint32_t getI(uint32_t n);
    // [0, x); x = 0 gives 0 without drawing.
    float getF(float x);

    uint32_t state[STATE_WORDS];
    int32_t index;

private:
    // Fatal unless the current role executes on the server and on clients.
    static void checkShared(const char* function);
    uint32_t draw();
    void regenerate();
};
