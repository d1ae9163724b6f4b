#pragma once
// The engine's software mixer. Runs inside SDL's audio callback: adds every
// started voice (its children, oldest first) into a float stereo buffer, takes
// out its DC with a high-pass under hearing, passes it through a look-ahead
// limiter (so loud stacks stay under full scale rather than clip; after the
// high-pass, so that its ceiling holds for what leaves), lays it out in the
// device's channels (mono: the average; more than two: left and right, then
// silence), clamps to [-1, 1] and converts to the device's sample format, all
// at the device's rate. The main thread
// starts, shapes and stops voices by channel id under the audio lock; the
// audio thread only mixes and flags finished voices, which the main thread
// deletes at the next purge.
#include "DcBlocker.h"
#include "MixLimiter.h"
#include "core/PlimBase.h"

#include <SDL.h>
#include <atomic>
#include <cstdint>

class MixerChannel;
class MixerOGG;

class Mixer : public PlimBase {
public:
    // Whether the mixer can fill a device with that spec: a sample format it
    // writes, and rate, channels, frames and bytes that agree.
    static bool canFollow(const SDL_AudioSpec& obtained);
    explicit Mixer(SDL_AudioSpec obtained);
    ~Mixer() override;

    // A new paused voice of sound, linked last; returns its id. Removes the
    // sound's oldest voice first when it already has maxPlaybacks of them.
    int play(MixerOGG* sound, bool bMusic);
    void startChannel(int id);
    bool isPlaying(int id);
    // The live voice with that id; null for none (and for any negative id).
    MixerChannel* findChannel(int id);
    // Glide to the target over seconds (0, or less than a frame: at once). A
    // non-finite target is refused (the voice keeps its value and glide):
    // NaN would pass the clamps and stay in the voice for good.
    void setVolume(int id, float volume, double seconds);  // 0..1
    void setPan(int id, float pan, double seconds);        // -1..1
    void setFrequency(int id, float hertz, double seconds);
    // Moves the voice to a fraction of the samples its source holds valid.
    void setPosition(int id, float fraction);
    void stopChannel(int id);
    // Deletes every voice of sound; the sound may be deleted afterwards.
    void stopSound(MixerOGG* sound);
    // Deletes the voices that have ended.
    void purgeChannels();
    // Deletes every voice.
    void stopAll();

    // The audio callback's body: len bytes of device samples into stream.
    void mix(uint8_t* stream, int len);

    // Master volumes, written by the main thread without the lock.
    std::atomic<float> musicVolume{1.0f};
    std::atomic<float> effectsVolume{1.0f};
    SDL_AudioSpec spec;
    int32_t nextChannelId = 0;
    float* mixBuffer = nullptr;  // interleaved stereo, then the device's channels
    int32_t mixBufferSize = 0;   // floats: at least two per frame
    int32_t bytesPerSample = 0;
    double secondsPerFrame = 0.0;
    // Audio thread only, like mixBuffer's contents.
    DcBlocker dcBlocker;
    MixLimiter limiter;

private:
    // A ramp length in output frames, truncated toward zero; never negative.
    int rampFrames(double seconds) const;
    // Deletes every voice whose removal is pending, plus those of sound.
    void destroyFlagged(MixerOGG* sound);
    // The stereo frames in mixBuffer into the device's channels, in place.
    void layOut(int frames);
    void convert(uint8_t* stream, int numSamples);
};
