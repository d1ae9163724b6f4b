#pragma once
// The audio device: opens SDL's audio output, owns the mixer that fills it on
// SDL's audio thread, holds the mute switch every audio object consults, the
// master volumes and the current music, and pauses the device while the
// engine is inactive. Settings live in the [PlimAudio] section.
#include "util/UString.h"

#include <SDL.h>
#include <cstdint>

class Mixer;
class RuntimeClass;
class SoundStream;

class PlimAudio {
public:
    // Reads [PlimAudio] (bMute, frequency, mixBufferDuration) and, unless
    // muted, opens the device and builds the mixer. Without a device the mixer
    // can fill, it runs as muted and says why, once, on standard error.
    PlimAudio();
    virtual RuntimeClass* getClass();
    // Writes frequency back, pauses the device and deletes the mixer with its
    // voices. The device itself closes with SDL.
    virtual ~PlimAudio();
    // Pauses on the step 3 -> 2 and resumes on 2 -> 3, muted or not.
    virtual void onModeChange(int oldMode, int newMode);

    static RuntimeClass runtimeClass;

    // Once per running frame: deletes the voices that have ended.
    void tick();
    // Master volumes; a non-finite one is refused, as by the mixer's setters.
    void setEffectsVolume(float volume);
    void setMusicVolume(float volume);
    // Deletes every voice and forgets the current music.
    void stopAll();
    void stopMusic();
    // Makes music current and starts it, unless it already is current.
    void playMusic(SoundStream* music);
    // Ramps the current music's volume; a fade to 0 forgets it at once.
    void fadeMusic(float volume, double seconds);
    void dumpInfo(const SDL_AudioSpec* spec);
    static void audioCallback(void* userdata, Uint8* stream, int len);

    // Frames per device buffer for a rate and a buffer duration: rounded down
    // to a multiple of 256 and kept within 256 .. 65,280 (*clamped tells
    // whether it had to be).
    static int bufferFrames(int frequency, double duration, bool* clamped);

    // The mixer while audio runs; null when muted or without an audio part.
    static Mixer* activeMixer();
    // True when there is no audio part or it is muted.
    static bool isMuted();

    Mixer* mixer = nullptr;
    int32_t frequency = 0;
    // The file's frequency was out of range: unless the rate changes, the file keeps it.
    bool bFrequencyRejected = false;
    // Also set, for this run only, when no device could be opened.
    bool bMute = false;
    SoundStream* currentMusic = nullptr;

private:
    // Opens the device and builds the mixer; the problem when it cannot.
    UString openDevice(double mixBufferDuration);
    // Stereo 16-bit at the configured rate, in buffers of about mixBufferDuration.
    SDL_AudioSpec desiredSpec(double mixBufferDuration);
    // What failed, with SDL's reason and the driver asked for.
    static UString deviceProblem(const char* what);
    void runSilent(const UString& problem);
};
