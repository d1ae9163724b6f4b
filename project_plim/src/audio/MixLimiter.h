#pragma once
// A look-ahead peak limiter on the mixer's stereo sum, ahead of its clamp.
// Each frame leaves lookAheadFrames() late; the gain, the same on both sides,
// is down to what the loudest frame in the look-ahead needs by the time that
// frame leaves, so no output sample exceeds THRESHOLD. The gain falls along a
// straight ramp over the look-ahead and recovers with a slow exponential
// release. While the gain is 1 the frames pass unchanged. Audio thread only.
#include <cstdint>
#include <vector>

class MixLimiter {
public:
    static constexpr float THRESHOLD = 0.966051f; // -0.3 dBFS
    static constexpr double LOOK_AHEAD_SECONDS = 0.0015;
    static constexpr double RELEASE_SECONDS = 0.15; // time constant

    explicit MixLimiter(int frequency);

    // Limits and delays count interleaved stereo frames in place.
    void process(float* frames, int count);
    int lookAheadFrames() const { return delay; }

private:
    // The gain for the frame leaving now, given the peak of the one entering.
    float nextGain(float peak);

    struct Need {
        uint32_t frame;
        float gain;
    };
    int delay;
    int window; // delay + 1: the hold and the smoothing span
    float release;
    std::vector<float> delayLine; // delay stereo frames
    int delayPos = 0;
    // Ascending minima of the gains needed by the frames in the window.
    std::vector<Need> needs;
    int needFirst = 0, needCount = 0;
    uint32_t frameCount = 0;
    float envelope = 1.0f;
    // The last window envelopes, averaged into the gain.
    std::vector<float> recent;
    int recentPos = 0;
    int recentBelowOne = 0;
    double recentSum;
    double perWindow;
};
