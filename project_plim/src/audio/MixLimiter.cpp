#include "MixLimiter.h"

#include <algorithm>
#include <cmath>

namespace {

// An envelope this close under its target jumps there: a step of -80 dB,
// and a float release alone would never quite reach 1.
const float SNAP = 1.0e-4f;

} // namespace

MixLimiter::MixLimiter(int frequency) {
    delay = std::max(1, int(std::lround(LOOK_AHEAD_SECONDS * frequency)));
    window = delay + 1;
    release = float(1.0 - std::exp(-1.0 / (RELEASE_SECONDS * std::max(frequency, 1))));
    delayLine.assign(size_t(2 * delay), 0.0f);
    needs.resize(size_t(window));
    recent.assign(size_t(window), 1.0f);
    recentSum = window;
    perWindow = 1.0 / window;
}

float MixLimiter::nextGain(float peak) {
    const uint32_t now = frameCount++;
    // needs holds, oldest first, each frame whose need no later frame in the
    // window undercuts; its first entry is the window's minimum.
    if (needCount > 0 && now - needs[size_t(needFirst)].frame >= uint32_t(window)) {
        needFirst = needFirst + 1 == window ? 0 : needFirst + 1;
        --needCount;
    }
    if (peak > THRESHOLD) {
        const float need = THRESHOLD / peak;
        while (needCount > 0) {
            int last = needFirst + needCount - 1;
            if (last >= window) last -= window;
            if (needs[size_t(last)].gain < need) break;
            --needCount;
        }
        int slot = needFirst + needCount;
        if (slot >= window) slot -= window;
        needs[size_t(slot)] = {now, need};
        ++needCount;
    }
    const float hold = needCount > 0 ? needs[size_t(needFirst)].gain : 1.0f;
    // Down at once, up slowly; never above hold.
    if (hold < envelope || hold - envelope < SNAP)
        envelope = hold;
    else
        envelope += (hold - envelope) * release;

    // The average of the last window envelopes: each of them is at most the
    // need of the frame leaving now, which lies in all of their windows.
    const float old = recent[size_t(recentPos)];
    recent[size_t(recentPos)] = envelope;
    recentPos = recentPos + 1 == window ? 0 : recentPos + 1;
    recentBelowOne += int(envelope < 1.0f) - int(old < 1.0f);
    if (recentBelowOne == 0) {
        recentSum = window; // no rounding left over from the sums
        return 1.0f;
    }
    recentSum += double(envelope) - double(old);
    return float(recentSum * perWindow);
}

void MixLimiter::process(float* frames, int count) {
    float* line = delayLine.data();
    for (int i = 0; i < count; ++i, frames += 2) {
        const float left = frames[0], right = frames[1];
        const float peak = std::max(std::fabs(left), std::fabs(right));
        // Idle (nothing held, fully released) and not loud: the gain stays 1.
        float g = 1.0f;
        if (peak > THRESHOLD || needCount > 0 || recentBelowOne > 0) g = nextGain(peak);
        float* slot = line + 2 * delayPos;
        frames[0] = slot[0] * g;
        frames[1] = slot[1] * g;
        slot[0] = left;
        slot[1] = right;
        delayPos = delayPos + 1 == delay ? 0 : delayPos + 1;
    }
}
