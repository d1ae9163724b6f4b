#include "PlimAudio.h"

#include "AlsaMessages.h"
#include "core/Logger.h"
#include "files/MemoryIniFile.h"
#include "files/PrintableText.h"
#include "files/UserNotices.h"
#include "Mixer.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "core/RuntimeClass.h"
#include "SoundStream.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

RuntimeClass PlimAudio::runtimeClass("PlimAudio", &PlimAudio::runtimeClass, nullptr);

namespace {

const int MIN_BUFFER_FRAMES = 256;
const int MAX_BUFFER_FRAMES = 65280; // the largest multiple of 256 in 16 bits
// Rates SDL and the mixer handle; beyond them buffer sizes and steps overflow.
const int MIN_FREQUENCY = 4000;
const int MAX_FREQUENCY = 192000;
const int DEFAULT_FREQUENCY = 22050;

} // namespace

RuntimeClass* PlimAudio::getClass() { return &runtimeClass; }

int PlimAudio::bufferFrames(int frequency, double duration, bool* clamped) {
    double frames = double(float(frequency)) * duration;
    *clamped = true;
    if (!(frames >= MIN_BUFFER_FRAMES)) return MIN_BUFFER_FRAMES;
    if (frames >= MAX_BUFFER_FRAMES + 256) return MAX_BUFFER_FRAMES;
    *clamped = false;
    return int(frames) & ~0xff;
}

PlimAudio::PlimAudio() {
    logTagged("PlimAudio", "Starting...");

    MemoryIniFile* cfg = PLIM->config;
    const UString section = getClass()->name;
    cfg->readSetting(section, "bMute", bMute);
    frequency = DEFAULT_FREQUENCY;
    bFrequencyRejected = !cfg->readSetting(section, "frequency", frequency, MIN_FREQUENCY, MAX_FREQUENCY);
    double mixBufferDuration = 0.1;
    cfg->readSetting(section, "mixBufferDuration", mixBufferDuration);

    if (bMute) {
        logTagged("PlimAudio", "Sound has been muted.");
    } else {
        const UString problem = openDevice(mixBufferDuration);
        if (!problem.isEmpty()) runSilent(problem);
    }
    SDL_PauseAudio(0);
    logTagged("PlimAudio", "Started.");
}

UString PlimAudio::openDevice(double mixBufferDuration) {
    AlsaMessages::routeToLog();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return deviceProblem("cannot start SDL's audio");
    SDL_AudioSpec desired = desiredSpec(mixBufferDuration);
    SDL_AudioSpec obtained;
    memset(&obtained, 0, sizeof obtained);
    logTagged("PlimAudio", "Desired audio spec:");
    dumpInfo(&desired);
    if (SDL_OpenAudio(&desired, &obtained) != 0) return deviceProblem("cannot open the audio device");
    logTagged("PlimAudio", "Obtained audio spec:");
    dumpInfo(&obtained);
    if (!Mixer::canFollow(obtained)) {
        SDL_CloseAudio();
        return UString::format("the audio device offers no format the mixer can fill (format 0x%04x, %d channels, "
                               "%d Hz, %d frames in %u bytes)",
                               unsigned(obtained.format), int(obtained.channels), obtained.freq,
                               int(obtained.samples), unsigned(obtained.size));
    }
    Mixer* built = new Mixer(obtained);
    // The callback reads the pointer under the audio lock.
    SDL_LockAudio();
    mixer = built;
    SDL_UnlockAudio();
    return UString();
}

SDL_AudioSpec PlimAudio::desiredSpec(double mixBufferDuration) {
    // No usable rate in the file: the default, as for a missing key.
    if (frequency <= 0) frequency = DEFAULT_FREQUENCY;
    bool clamped = false;
    int frames = bufferFrames(frequency, mixBufferDuration, &clamped);
    if (clamped)
        logTagged("PlimAudio", "Mix buffer of %.0lf frames is out of range; using %d.",
                  double(float(frequency)) * mixBufferDuration, frames);

    SDL_AudioSpec desired;
    memset(&desired, 0, sizeof desired);
    desired.freq = frequency;
    desired.format = AUDIO_S16LSB;
    desired.channels = 2;
    desired.silence = 0;
    desired.samples = Uint16(frames);
    desired.padding = 0;
    desired.size = 0;
    desired.callback = &PlimAudio::audioCallback;
    desired.userdata = this;
    return desired;
}

UString PlimAudio::deviceProblem(const char* what) {
    const char* error = SDL_GetError();
    const char* driver = getenv("SDL_AUDIODRIVER");
    // Both may carry a value from the environment (a driver or device name).
    UString problem = UString::format("%s (%s", what,
                                      error && *error ? printableText(std::string(error)).c_str() : "no reason given");
    if (driver && *driver)
        problem += UString::format(", SDL_AUDIODRIVER=%s", printableText(std::string(driver)).c_str());
    return problem + ")";
}

void PlimAudio::runSilent(const UString& problem) {
    // As muted: no subsystem, mixer or voice. bMute is never written back, so
    // the player's setting stays and the next start tries the device again.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    bMute = true;
    logTagged("PlimAudio", "Running without sound: %s.", problem.c_str());
    UserNotices::say(UString::format("%s: %s; the game runs without sound.", PLIM_BUILD_NAME, problem.c_str()));
}

PlimAudio::~PlimAudio() {
    if (PLIM && PLIM->config && !(bFrequencyRejected && frequency == DEFAULT_FREQUENCY))
        PLIM->config->setInt(getClass()->name, "frequency", frequency);
    SDL_PauseAudio(1);
    // A callback may still be running: take the mixer away under the lock
    // before it is deleted.
    SDL_LockAudio();
    Mixer* old = mixer;
    mixer = nullptr;
    SDL_UnlockAudio();
    if (old) old->deleteMe();
}

void PlimAudio::onModeChange(int oldMode, int newMode) {
    if (oldMode == MODE_OK && newMode == MODE_INACTIVE) SDL_PauseAudio(1);
    else if (oldMode == MODE_INACTIVE && newMode == MODE_OK) SDL_PauseAudio(0);
}

void PlimAudio::tick() {
    if (bMute || !mixer) return;
    mixer->purgeChannels();
}

void PlimAudio::setEffectsVolume(float volume) {
    if (bMute || !mixer || !std::isfinite(volume)) return;
    mixer->effectsVolume.store(volume, std::memory_order_relaxed);
}

void PlimAudio::setMusicVolume(float volume) {
    if (bMute || !mixer || !std::isfinite(volume)) return;
    mixer->musicVolume.store(volume, std::memory_order_relaxed);
}

void PlimAudio::stopAll() {
    if (bMute || !mixer) return;
    mixer->stopAll();
    currentMusic = nullptr;
}

void PlimAudio::stopMusic() {
    if (currentMusic) currentMusic->stop();
    currentMusic = nullptr;
}

void PlimAudio::playMusic(SoundStream* music) {
    if (music == currentMusic) return;
    stopMusic();
    currentMusic = music;
    if (music) music->play();
}

void PlimAudio::fadeMusic(float volume, double seconds) {
    if (currentMusic) currentMusic->setVolume(volume, seconds);
    if (volume == 0.0f) currentMusic = nullptr;
}

void PlimAudio::dumpInfo(const SDL_AudioSpec* spec) {
    logTagged("dumpInfo", "\tfreq: %d", spec->freq);
    const char* format = nullptr;
    switch (spec->format) {
    case AUDIO_U8: format = "AUDIO_U8"; break;
    case AUDIO_S8: format = "AUDIO_S8"; break;
    case AUDIO_U16LSB: format = "AUDIO_U16LSB"; break;
    case AUDIO_S16LSB: format = "AUDIO_S16LSB"; break;
    case AUDIO_U16MSB: format = "AUDIO_U16MSB"; break;
    case AUDIO_S16MSB: format = "AUDIO_S16MSB"; break;
    default: break;
    }
    if (format) logTagged("dumpInfo", "\tformat: %s", format);
    logTagged("dumpInfo", "\tchannels %d", int(spec->channels));
    logTagged("dumpInfo", "\tsilence %d", int(spec->silence));
    logTagged("dumpInfo", "\tsamples %d", int(spec->samples));
    logTagged("dumpInfo", "\tpadding %d", int(spec->padding));
    logTagged("dumpInfo", "\tsize %d", int(spec->size));
}

void PlimAudio::audioCallback(void* userdata, Uint8* stream, int len) {
    Mixer* m = static_cast<PlimAudio*>(userdata)->mixer;
    if (m) m->mix(stream, len);
}

Mixer* PlimAudio::activeMixer() {
    PlimAudio* audio = PLIM ? PLIM->audio : nullptr;
    return audio && !audio->bMute ? audio->mixer : nullptr;
}

bool PlimAudio::isMuted() {
    PlimAudio* audio = PLIM ? PLIM->audio : nullptr;
    return !audio || audio->bMute;
}
