#pragma once
// For one source file of a test program: the engine's draws of the system's
// random bytes come here first in the link, and while fixedDraws is set each
// gives the bytes 01 02 03 ..., so that what is drawn is the same at every run.
#include <cstdint>
#include <sys/random.h>
#include <sys/syscall.h>
#include <unistd.h>

static bool fixedDraws = false;
extern "C" ssize_t getrandom(void* out, size_t bytes, unsigned int flags) {
    for (size_t i = 0; fixedDraws && i < bytes; ++i)
        static_cast<uint8_t*>(out)[i] = uint8_t(i + 1);
    return fixedDraws ? ssize_t(bytes) : syscall(SYS_getrandom, out, bytes, flags);
}
