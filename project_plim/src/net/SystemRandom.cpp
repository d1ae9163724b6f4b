#include "SystemRandom.h"

#include "core/Logger.h"
#include "util/PlimUtil.h"
#include "PlimNetwork.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace {
int allowedSources = SystemRandom::ALL_SOURCES;
bool bFallbackLogged = false;
int lastError = 0;

uint64_t splitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
} // namespace

void SystemRandom::setSourcesForTest(int sources) {
    allowedSources = sources;
    bFallbackLogged = false;
}

bool SystemRandom::fromGetrandom(uint8_t* out, size_t bytes) {
    if (!(allowedSources & SOURCE_GETRANDOM)) {
        lastError = ENOSYS;
        return false;
    }
    size_t done = 0;
    while (done < bytes) {
        ssize_t got = getrandom(out + done, bytes - done, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            lastError = got < 0 ? errno : EIO;
            return false;
        }
        done += size_t(got);
    }
    return true;
}

bool SystemRandom::fromUrandom(uint8_t* out, size_t bytes) {
    if (!(allowedSources & SOURCE_URANDOM))
        return false;
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < bytes) {
        ssize_t got = read(fd, out + done, bytes - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += size_t(got);
    }
    close(fd);
    return done == bytes;
}

void SystemRandom::fromClock(uint8_t* out, size_t bytes) {
    static uint64_t counter = 0;
    timespec wall{}, mono{};
    clock_gettime(CLOCK_REALTIME, &wall);
    clock_gettime(CLOCK_MONOTONIC, &mono);
    uint64_t state = uint64_t(wall.tv_sec) * 1000000007ull ^ uint64_t(wall.tv_nsec) ^
                     uint64_t(mono.tv_nsec) << 20 ^ uint64_t(getpid()) << 40 ^ ++counter * 0x2545F4914F6CDD1Dull;
    for (size_t i = 0; i < bytes; i += 8) {
        uint64_t word = splitMix(state);
        memcpy(out + i, &word, bytes - i < 8 ? bytes - i : 8);
    }
}

void SystemRandom::noteFallback(const char* source) {
    if (bFallbackLogged)
        return;
    bFallbackLogged = true;
    logTagged("SystemRandom", "WARNING: getrandom() failed (%s); random numbers come from %s.",
              PlimNetwork::errorText(lastError).c_str(), source);
}

void SystemRandom::fill(void* out, size_t bytes) {
    uint8_t* to = static_cast<uint8_t*>(out);
    if (fromGetrandom(to, bytes))
        return;
    if (fromUrandom(to, bytes)) {
        noteFallback("/dev/urandom");
        return;
    }
    noteFallback("the clock");
    fromClock(to, bytes);
}

uint32_t SystemRandom::next32() {
    uint32_t value;
    fill(&value, sizeof value);
    return value;
}

uint64_t SystemRandom::next64() {
    uint64_t value;
    fill(&value, sizeof value);
    return value;
}
