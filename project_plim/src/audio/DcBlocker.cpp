#include "DcBlocker.h"
#include "util/PlimMath.h"

#include <algorithm>
#include <cmath>

namespace {

// Frames between the checks against FLOOR: a state just above it needs tens
// of thousands to decay into subnormals, and a device buffer may be longer.
const int CHUNK = 512;

// A state too small to matter is 0; so is one that is not finite: a NaN (or
// an infinity, which turns into one) would otherwise stay in it for good.
inline float settled(float v) { return std::fabs(v) >= DcBlocker::FLOOR && std::isfinite(v) ? v : 0.0f; }

} // namespace

DcBlocker::DcBlocker(int frequency)
    : poleValue(float(std::exp(-TWO_PI_DOUBLE * CUTOFF_HZ / double(std::max(frequency, 1))))) {}

void DcBlocker::process(float* frames, int count) {
    const float pole = poleValue;
    float inL = lastIn[0], inR = lastIn[1], outL = lastOut[0], outR = lastOut[1];
    while (count > 0) {
        const int n = std::min(count, CHUNK);
        for (int i = 0; i < n; ++i, frames += 2) {
            const float left = frames[0], right = frames[1];
            outL = left - inL + pole * outL;
            outR = right - inR + pole * outR;
            inL = left;
            inR = right;
            frames[0] = outL;
            frames[1] = outR;
        }
        count -= n;
        outL = settled(outL);
        outR = settled(outR);
        if (!std::isfinite(inL)) inL = 0.0f;
        if (!std::isfinite(inR)) inR = 0.0f;
    }
    lastIn[0] = inL;
    lastIn[1] = inR;
    lastOut[0] = outL;
    lastOut[1] = outR;
}
