#pragma once
// The program's one sequence of ordinary random numbers, used in place of the
// C library's rand(): the engine seeds it at start-up from the tick count and
// tests reseed it so that their runs repeat. Main thread only; the network's
// shared generator is a separate sequence.
#include <cstdint>

class Random {
public:
    enum : int32_t { MAX = 0x7fffffff };

    static void seed(uint32_t value);
    // 0 to MAX, as rand() gives; every bit is usable, the lowest included.
    static int32_t next();
};
