#include "SoundChannel.h"

#include "core/ErrorManager.h"
#include "Mixer.h"
#include "MixerOGGstatic.h"
#include "core/Plim.h"
#include "PlimAudio.h"
#include "render/PlimGraphics.h"
#include "core/RuntimeClass.h"
#include "Sound.h"
#include "core/TimeKeeper.h"

RuntimeClass SoundChannel::runtimeClass("SoundChannel", &PlimBase::runtimeClass, nullptr);

RuntimeClass* SoundChannel::getClass() { return &runtimeClass; }

void (*SoundChannel::onStarted)(const SoundChannel& channel) = nullptr;

SoundChannel::SoundChannel(Sound* pSound) : pSound(pSound) {
    PLIM_ASSERT(pSound!=NULL);
    Mixer* mixer = PlimAudio::activeMixer();
    if (mixer && pSound->source) channelId = mixer->play(pSound->source, false);
}

SoundChannel::~SoundChannel() {}

void SoundChannel::setFrequency(float frequency, double seconds) {
    this->frequency = frequency;
    Mixer* mixer = PlimAudio::activeMixer();
    if (!mixer || !pSound->source) return;
    float hertz = frequency;
    if (frequency <= 100.0f) hertz = (frequency < 0.0f ? 0.0f : frequency) * float(pSound->source->frequency);
    mixer->setFrequency(channelId, hertz, seconds);
}

void SoundChannel::setVolume(float volume, double seconds) {
    if (Mixer* mixer = PlimAudio::activeMixer()) mixer->setVolume(channelId, volume, seconds);
}

void SoundChannel::setPan(float pan, double seconds) {
    if (Mixer* mixer = PlimAudio::activeMixer()) mixer->setPan(channelId, pan, seconds);
}

void SoundChannel::setPosition(float fraction) {
    if (Mixer* mixer = PlimAudio::activeMixer()) mixer->setPosition(channelId, fraction);
}

void SoundChannel::stop() {
    if (Mixer* mixer = PlimAudio::activeMixer()) mixer->stopChannel(channelId);
}

bool SoundChannel::isPlaying() {
    Mixer* mixer = PlimAudio::activeMixer();
    return mixer && mixer->isPlaying(channelId);
}

float SoundChannel::panFromX(float x, int fovWidth) {
    float left = float(-fovWidth / 2);
    float right = float(fovWidth / 2);
    float t = (x - left) / (right - left);
    if (t < 0.0f) return -1.0f;
    if (t > 1.0f) return 1.0f;
    return 2.0f * t - 1.0f;
}

void SoundChannel::setPanFromX(V3 position) {
    this->position = position;
    bPositioned = true;
    Mixer* mixer = PlimAudio::activeMixer();
    if (!mixer) return;
    // Without a graphics device (tools, tests) the default virtual width applies.
    int width = PLIM->graphics ? PLIM->graphics->fovWidth : 640;
    mixer->setPan(channelId, panFromX(position.x, width), 0.0);
}

void SoundChannel::play() {
    Mixer* mixer = PlimAudio::activeMixer();
    if (!mixer) return;
    double now = PLIM->timeKeeper->getTime();
    if (now >= pSound->lastPlayTime + pSound->minPlayInterval) {
        mixer->startChannel(channelId);
        pSound->lastPlayTime = now;
        if (onStarted) onStarted(*this);
    } else {
        mixer->stopChannel(channelId);
    }
}
