#pragma once
// A handle on one voice of a sound: creates it paused, shapes it, starts it,
// stops it. Deleting the handle leaves the voice playing; voice ids are never
// reused, so a handle whose voice has ended addresses nothing. Every operation
// does nothing while audio is muted.
#include "core/PlimBase.h"
#include "util/V3.h"

#include <cstdint>

class Sound;

class SoundChannel : public PlimBase {
public:
    // pSound must not be null.
    explicit SoundChannel(Sound* pSound);
    ~SoundChannel() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;

    // Above 100: a rate in Hz; 100 or less: a factor of the sound's own rate
    // (negative factors count as 0). seconds: ramp length, 0 at once.
    void setFrequency(float frequency, double seconds);
    void setVolume(float volume, double seconds);  // 0..1
    void setPan(float pan, double seconds);        // -1 left .. 1 right
    void setPosition(float fraction);              // 0..1 of the sound
    // Removes and deletes the voice.
    void stop();
    // The voice exists and has been started.
    bool isPlaying();
    // Pan from a horizontal position, the virtual screen's width spanning -1..1.
    void setPanFromX(V3 position);
    // Starts the voice, or drops it when the sound started too recently.
    void play();

    // The pan of x on a virtual screen fovWidth units wide.
    static float panFromX(float x, int fovWidth);

    // Called with each channel whose voice play() starts; null in the game.
    // Test harnesses set it to record the sounds of a run.
    static void (*onStarted)(const SoundChannel& channel);

    Sound* pSound;
    int32_t channelId = -1;
    // What the voice was given, kept for onStarted.
    float frequency = 1.0f;  // the last setFrequency argument
    V3 position;             // the last setPanFromX position
    bool bPositioned = false;
};
