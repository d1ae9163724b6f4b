#pragma once
// The clock of fuzz targets that run the engine's time: it moves only when
// the target moves it, from the start of a bare engine made once per process.
#include "util/TickSource.h"

#include <cstdint>

struct FuzzClock : TickSource {
    uint32_t getTicks() override { return now; }
    void delay(uint32_t ms) override { now += ms; }
    // Once per process: a bare engine on this clock, with a time keeper and
    // a network part; true when this call made it.
    bool startEngine();

    uint32_t now = 1000;
};
