#pragma once
// Bytes nobody can guess from the outside: the kernel's getrandom, else
// /dev/urandom, and only when both fail the clock (logged once).
#include <cstddef>
#include <cstdint>

class SystemRandom {
public:
    enum { SOURCE_GETRANDOM = 1, SOURCE_URANDOM = 2, ALL_SOURCES = 3 };

    static void fill(void* out, size_t bytes);
    static uint32_t next32();
    static uint64_t next64();
    // Test hook: which of the two system sources may be tried (a kernel or
    // seccomp profile without them); also allows the one log line again.
    static void setSourcesForTest(int sources);

private:
    static bool fromGetrandom(uint8_t* out, size_t bytes);
    static bool fromUrandom(uint8_t* out, size_t bytes);
    static void fromClock(uint8_t* out, size_t bytes);
    static void noteFallback(const char* source);
};
