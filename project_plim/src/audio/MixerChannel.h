#pragma once
// One voice of the mixer: one playback of a source with its own volume, pan
// and playback rate, each able to glide linearly to a new value. Built on the
// main thread, mixed on the audio thread, deleted on the main thread.
#include "core/PlimBase.h"

#include <atomic>
#include <cstdint>

class MixerOGG;

class MixerChannel : public PlimBase {
public:
    explicit MixerChannel(MixerOGG* source);

    // Adds this voice into numSamples floats of the interleaved stereo buffer
    // and advances it. Audio thread, under the audio lock; allocates nothing.
    void mixChannel(float* out, int numSamples);

    // Found, counted and mixed: not flagged for removal by either thread.
    bool isLive() const {
        return !bDestroyPending && !bSkip && !bFinished.load(std::memory_order_acquire);
    }

    int32_t channelId = -1;
    bool bMusic = false;
    bool bStarted = false;
    int32_t playCursor = -1; // floats into the source's samples; always even
    int32_t playMax = -1;
    int32_t frequencyRampFrames = 0;
    int32_t volumeRampFrames = 0;
    int32_t panRampFrames = 0;
    float pan = 0.0f;        // -1000 left .. 1000 right
    float frequency;         // Hz
    float volume = 1000.0f;  // 0 .. 1000
    float panStep = 0.0f;
    float frequencyStep = 0.0f;
    float volumeStep = 0.0f;
    MixerOGG* source;
    // Set by the audio thread when the voice has ended; the main thread reads
    // it without the lock and deletes the channel at the next purge.
    std::atomic<bool> bFinished{false};

private:
    void finish() { bFinished.store(true, std::memory_order_release); }
};
