#pragma once
// One loaded sound effect: an Ogg Vorbis file decoded whole at load time, with
// its play policy (random pitch range, minimum time between two starts). The
// play operations start a voice and keep no handle; it plays to its end.
#include "core/PlimBase.h"
#include "util/UString.h"
#include "util/V3.h"

class MixerOGGstatic;

class Sound : public PlimBase {
public:
    // Reads and decodes the file unless audio is muted. loop: every voice
    // repeats; maxPlaybacks: voices of this sound that may live at once.
    Sound(const UString& fileName, bool loop, int maxPlaybacks);
    // Stops the sound's voices, then frees its samples.
    ~Sound() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;

    // pitch: a factor of the sound's rate (100 or less) or a rate in Hz.
    void play(float pitch);
    // Panned from the position's x, at a random pitch.
    void playAt(V3 position);
    void playRandomPitch();
    void playSemitones(int semitones);

    // 1 + a random offset in [pitchMin, pitchMax).
    float randomPitch() const;
    // The rate factor of n semitones, one step being 1.0595.
    static float semitoneFactor(int semitones);

    double lastPlayTime = 0.0;
    double minPlayInterval = 0.0;
    float pitchMin = 0.0f;
    float pitchMax = 0.0f;
    MixerOGGstatic* source = nullptr;
};
