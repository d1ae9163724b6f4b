#include "Sound.h"

#include "core/Logger.h"
#include "files/MemoryFile.h"
#include "Mixer.h"
#include "MixerOGGstatic.h"
#include "PlimAudio.h"
#include "util/Random.h"
#include "core/RuntimeClass.h"
#include "SoundChannel.h"

#include <cmath>
#include <cstdlib>

RuntimeClass Sound::runtimeClass("Sound", &PlimBase::runtimeClass, nullptr);

RuntimeClass* Sound::getClass() { return &runtimeClass; }

Sound::Sound(const UString& fileName, bool loop, int maxPlaybacks) {
    if (PlimAudio::isMuted()) return;
    logTagged("Sound", "Loading sound file '%s'.", fileName.c_str());
    MemoryFile file(fileName);
    source = new MixerOGGstatic(&file, loop, maxPlaybacks);
}

Sound::~Sound() {
    if (source) {
        // No voice may go on reading the samples about to be freed.
        if (Mixer* mixer = PlimAudio::activeMixer()) mixer->stopSound(source);
        source->deleteMe();
        source = nullptr;
    }
}

float Sound::randomPitch() const {
    int r = Random::next() & 0xffff;
    float u = float(double(r) * 1.52587890625e-05);
    return pitchMin + u * (pitchMax - pitchMin) + 1.0f;
}

float Sound::semitoneFactor(int semitones) {
    if (semitones == 0) return 1.0f;
    if (semitones == 1) return 1.0595f;
    if (semitones == -1) return float(0.9438414346389805);
    long long steps = semitones < 0 ? -(long long)semitones : semitones;
    double factor = 1.0595;
    for (long long i = 1; i < steps && std::isfinite(factor); ++i) factor *= 1.0595;
    return semitones > 0 ? float(factor) : float(1.0 / factor);
}

void Sound::play(float pitch) {
    SoundChannel channel(this);
    channel.setFrequency(pitch, 0.0);
    channel.play();
}

void Sound::playAt(V3 position) {
    SoundChannel channel(this);
    channel.setPanFromX(position);
    channel.setFrequency(randomPitch(), 0.0);
    channel.play();
}

void Sound::playRandomPitch() {
    SoundChannel channel(this);
    channel.setFrequency(randomPitch(), 0.0);
    channel.play();
}

void Sound::playSemitones(int semitones) {
    SoundChannel channel(this);
    channel.setFrequency(semitoneFactor(semitones), 0.0);
    channel.play();
}
