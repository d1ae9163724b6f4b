#pragma once
// For one source file of a test program: reads of the monotonic clock (the
// steady clock's too) come here first in the link, and while stillClock is set
// each thread's clock stands where its first read found it, so that counts
// alone bound what real time would.
#include <atomic>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

static std::atomic<bool> stillClock{false};
extern "C" int clock_gettime(clockid_t clock, struct timespec* out) {
    static thread_local struct timespec held = {-1, 0};
    if (clock == CLOCK_MONOTONIC && stillClock && held.tv_sec >= 0)
        return *out = held, 0;
    const int result = int(syscall(SYS_clock_gettime, clock, out));
    if (clock == CLOCK_MONOTONIC)
        held = stillClock && result == 0 ? *out : timespec{-1, 0};
    return result;
}
