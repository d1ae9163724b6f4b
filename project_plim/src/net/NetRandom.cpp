#include "NetRandom.h"

#include "core/ErrorManager.h"
#include "serial/ReplicationRole.h"

#include <cmath>

NetRandom::NetRandom() : state(), index(UNSEEDED) {}

void NetRandom::seed(uint32_t seed) {
    state[0] = seed;
    for (int i = 1; i < STATE_WORDS; ++i)
        state[i] = 1812433253u * (state[i - 1] ^ (state[i - 1] >> 30)) + static_cast<uint32_t>(i);
    index = STATE_WORDS;
}

void NetRandom::regenerate() {
    const uint32_t upper = 0x80000000u, lower = 0x7FFFFFFFu, matrix = 0x9908B0DFu;
    for (int i = 0; i < STATE_WORDS; ++i) {
        uint32_t y = (state[i] & upper) | (state[(i + 1) % STATE_WORDS] & lower);
        state[i] = state[(i + 397) % STATE_WORDS] ^ (y >> 1) ^ ((y & 1u) ? matrix : 0u);
    }
    index = 0;
}

uint32_t NetRandom::draw() {
    if (index >= STATE_WORDS) {
        if (index == UNSEEDED)
            seed(DEFAULT_SEED);
        regenerate();
    }
    uint32_t y = state[index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

void NetRandom::checkShared(const char* function) {
    // The macros name the calling function; the two public draws pass theirs.
    if (!THEROLE)
        ErrorManager::assertionFailed("Assertion failed.", "THEROLE!=NULL", function, __FILE__, __LINE__);
    if (!(THEROLE->bExecutesOnServer && THEROLE->bExecutesOnClient))
        ErrorManager::assertionFailed("Assertion failed.", "THEROLE->bExecutesOnServer && THEROLE->bExecutesOnClient",
                                      function, __FILE__, __LINE__);
}

uint32_t NetRandom::getI(uint32_t n) {
    checkShared("getI");
    if (n == 0)
        return 0;
    return draw() % n;
}

float NetRandom::getF(float x) {
    checkShared("getF");
    if (x == 0.0f)
        return 0.0f;
    double w = draw();
    return static_cast<float>(std::fmod(static_cast<double>(x) * w / 4294967295.0, static_cast<double>(x)));
}
