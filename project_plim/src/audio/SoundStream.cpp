#include "SoundStream.h"

#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "Mixer.h"
#include "MixerOGGstream.h"
#include "PlimAudio.h"

SoundStream::SoundStream(const UString& fileName, bool loop) : file(fileName) {
    if (PlimAudio::isMuted()) return;
    logTagged("SoundStream", "Creating stream for '%s'.", fileName.c_str());
    source = new MixerOGGstream(&file, loop, 1, &failure);
    if (!failure.isEmpty()) PLIM_ERROR("Sound '%s': %s.", fileName.c_str(), failure.c_str());
}

SoundStream::~SoundStream() {
    if (source) {
        if (Mixer* mixer = PlimAudio::activeMixer()) mixer->stopSound(source);
        // No voice decodes any more: the audio thread's report can be read.
        if (!failure.isEmpty())
            logTagged("SoundStream", "The music '%s' ended early: %s.", file.fileName.c_str(), failure.c_str());
        source->deleteMe();
        source = nullptr;
    }
    file.releaseData();
}

void SoundStream::play() {
    Mixer* mixer = PlimAudio::activeMixer();
    if (!mixer || !source) return;
    if (mixer->isPlaying(channelId)) return;
    channelId = mixer->play(source, true);
    mixer->startChannel(channelId);
}

void SoundStream::stop() {
    if (Mixer* mixer = PlimAudio::activeMixer()) mixer->stopChannel(channelId);
}

void SoundStream::setVolume(float volume, double seconds) {
    if (Mixer* mixer = PlimAudio::activeMixer()) mixer->setVolume(channelId, volume, seconds);
}

bool SoundStream::isPlaying() {
    Mixer* mixer = PlimAudio::activeMixer();
    return mixer && mixer->isPlaying(channelId);
}
