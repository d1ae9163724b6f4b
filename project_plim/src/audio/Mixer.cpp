#include "Mixer.h"

#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "MixerChannel.h"
#include "MixerOGG.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

void applyRamp(float& value, int32_t& counter, float& step, float target, int frames) {
    if (frames == 0) {
        value = target;
        counter = 0;
    } else if (frames < 0) {
        counter = 0; // the value stays where it is
    } else {
        counter = frames;
        step = (target - value) / float(frames);
    }
}

// NaN becomes silence: converted to an integer it would be undefined.
inline float clampUnit(float v) { return v < -1.0f ? -1.0f : (v > 1.0f ? 1.0f : (v == v ? v : 0.0f)); }

// Clamps each entry in place and writes one device sample per entry.
template <typename Write>
void convertEach(float* buffer, uint8_t* stream, int numSamples, int bytes, Write write) {
    for (int i = 0; i < numSamples; ++i) {
        float v = clampUnit(buffer[i]);
        buffer[i] = v;
        write(stream + i * bytes, double(v));
    }
}

inline void put16LSB(uint8_t* p, int v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void put16MSB(uint8_t* p, int v) {
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

} // namespace

bool Mixer::canFollow(const SDL_AudioSpec& obtained) {
    unsigned bytes = 0;
    switch (obtained.format) {
    case AUDIO_U8:
    case AUDIO_S8: bytes = 1; break;
    case AUDIO_U16LSB:
    case AUDIO_S16LSB:
    case AUDIO_U16MSB:
    case AUDIO_S16MSB: bytes = 2; break;
    default: return false;
    }
    return obtained.freq > 0 && obtained.channels > 0 && obtained.samples > 0 &&
           obtained.size == unsigned(obtained.samples) * obtained.channels * bytes;
}

Mixer::Mixer(SDL_AudioSpec obtained) : spec(obtained), dcBlocker(obtained.freq), limiter(obtained.freq) {
    PLIM_ASSERT(spec.channels>0 && spec.samples>0 && spec.freq>0);
    bytesPerSample = int32_t(spec.size / (unsigned(spec.channels) * unsigned(spec.samples)));
    secondsPerFrame = 1.0 / spec.freq;
    mixBufferSize = std::max(2, int(spec.channels)) * spec.samples;
    mixBuffer = new float[mixBufferSize];
    std::fill(mixBuffer, mixBuffer + mixBufferSize, 0.0f);
    logTagged("Mixer", "Allocating mix buffer: %d samples", mixBufferSize);
}

Mixer::~Mixer() {
    delete[] mixBuffer;
    mixBuffer = nullptr;
}

int Mixer::play(MixerOGG* sound, bool bMusic) {
    SDL_LockAudio();
    int count = 0;
    MixerChannel* oldest = nullptr;
    for (BasicLink* link = firstChild; link; link = link->next) {
        MixerChannel* ch = static_cast<MixerChannel*>(link);
        if (!ch->isLive() || ch->source != sound) continue;
        if (!oldest) oldest = ch;
        ++count;
    }
    if (oldest && sound->maxPlaybacks <= count) {
        removeChild(oldest);
        oldest->deleteMe();
    }
    SDL_UnlockAudio();

    // Built outside the lock: rewinding and refilling touch only the source,
    // which no live voice of a stream uses any more.
    MixerChannel* ch = new MixerChannel(sound);
    ch->channelId = nextChannelId;
    ch->bMusic = bMusic;
    ++nextChannelId;

    SDL_LockAudio();
    addChild(ch);
    SDL_UnlockAudio();
    return ch->channelId;
}

MixerChannel* Mixer::findChannel(int id) {
    if (id < 0) return nullptr;
    for (BasicLink* link = firstChild; link; link = link->next) {
        MixerChannel* ch = static_cast<MixerChannel*>(link);
        if (ch->isLive() && ch->channelId == id) return ch;
    }
    return nullptr;
}

void Mixer::startChannel(int id) {
    SDL_LockAudio();
    if (MixerChannel* ch = findChannel(id)) ch->bStarted = true;
    SDL_UnlockAudio();
}

bool Mixer::isPlaying(int id) {
    MixerChannel* ch = findChannel(id);
    return ch && ch->bStarted;
}

int Mixer::rampFrames(double seconds) const {
    double frames = seconds / secondsPerFrame;
    if (!(frames == frames)) return 0;
    if (frames >= double(INT_MAX)) return INT_MAX;
    if (frames <= double(INT_MIN)) return INT_MIN;
    return int(frames);
}

void Mixer::setVolume(int id, float volume, double seconds) {
    if (!std::isfinite(volume)) return;
    SDL_LockAudio();
    if (MixerChannel* ch = findChannel(id)) {
        float target = std::min(std::max(volume * 1000.0f, 0.0f), 1000.0f);
        applyRamp(ch->volume, ch->volumeRampFrames, ch->volumeStep, target, rampFrames(seconds));
    }
    SDL_UnlockAudio();
}

void Mixer::setPan(int id, float pan, double seconds) {
    if (!std::isfinite(pan)) return;
    SDL_LockAudio();
    if (MixerChannel* ch = findChannel(id)) {
        float target = std::min(std::max(pan * 1000.0f, -1000.0f), 1000.0f);
        applyRamp(ch->pan, ch->panRampFrames, ch->panStep, target, rampFrames(seconds));
    }
    SDL_UnlockAudio();
}

void Mixer::setFrequency(int id, float hertz, double seconds) {
    if (!std::isfinite(hertz)) return;
    SDL_LockAudio();
    if (MixerChannel* ch = findChannel(id))
        applyRamp(ch->frequency, ch->frequencyRampFrames, ch->frequencyStep, hertz, rampFrames(seconds));
    SDL_UnlockAudio();
}

void Mixer::setPosition(int id, float fraction) {
    SDL_LockAudio();
    if (MixerChannel* ch = findChannel(id)) {
        float position = float(ch->playMax) * fraction;
        // Before the start means the start; far past the end stays past it.
        if (!(position > 0.0f)) position = 0.0f;
        if (position > 2147483520.0f) position = 2147483520.0f;
        ch->playCursor = (int(position) / 2) * 2;
    }
    SDL_UnlockAudio();
}

void Mixer::stopChannel(int id) {
    SDL_LockAudio();
    if (MixerChannel* ch = findChannel(id)) {
        removeChild(ch);
        ch->deleteMe();
    }
    SDL_UnlockAudio();
}

void Mixer::destroyFlagged(MixerOGG* sound) {
    for (BasicLink* link = firstChild; link;) {
        BasicLink* following = link->next;
        MixerChannel* ch = static_cast<MixerChannel*>(link);
        if (ch->bFinished.load(std::memory_order_acquire)) ch->bDestroyPending = true;
        if (sound && ch->isLive() && ch->source == sound) ch->bDestroyPending = true;
        if (ch->bDestroyPending) ch->deleteMe();
        link = following;
    }
}

void Mixer::stopSound(MixerOGG* sound) {
    SDL_LockAudio();
    destroyFlagged(sound);
    SDL_UnlockAudio();
}

void Mixer::purgeChannels() {
    SDL_LockAudio();
    destroyFlagged(nullptr);
    SDL_UnlockAudio();
}

void Mixer::stopAll() {
    SDL_LockAudio();
    destroyChildren();
    SDL_UnlockAudio();
}

void Mixer::mix(uint8_t* stream, int len) {
    std::fill(mixBuffer, mixBuffer + mixBufferSize, 0.0f);
    const int frames = len / bytesPerSample / spec.channels;
    // The floats the frames take: stereo while mixing, then the device's layout.
    const int numSamples = frames * std::max(2, int(spec.channels));
    PLIM_ASSERT(numSamples<=mixBufferSize);

    for (BasicLink* link = firstChild; link; link = link->next) {
        MixerChannel* ch = static_cast<MixerChannel*>(link);
        if (ch->isLive()) ch->mixChannel(mixBuffer, 2 * frames);
    }
    dcBlocker.process(mixBuffer, frames);
    limiter.process(mixBuffer, frames);
    layOut(frames);
    convert(stream, frames * spec.channels);
}

void Mixer::layOut(int frames) {
    const int channels = spec.channels;
    if (channels == 1) {
        for (int i = 0; i < frames; ++i) mixBuffer[i] = 0.5f * (mixBuffer[2 * i] + mixBuffer[2 * i + 1]);
    } else if (channels > 2) {
        // Last frame first: each lands at or after where it was read.
        for (int i = frames - 1; i >= 0; --i) {
            const float left = mixBuffer[2 * i], right = mixBuffer[2 * i + 1];
            float* frame = mixBuffer + i * channels;
            frame[0] = left;
            frame[1] = right;
            std::fill(frame + 2, frame + channels, 0.0f);
        }
    }
}

void Mixer::convert(uint8_t* stream, int numSamples) {
    // Full scale is 125 and 32760, not 127 and 32767.
    switch (spec.format) {
    case AUDIO_U8:
        convertEach(mixBuffer, stream, numSamples, 1,
                    [](uint8_t* p, double v) { p[0] = uint8_t(int(v * 125.0 + 128.0)); });
        break;
    case AUDIO_S8:
        convertEach(mixBuffer, stream, numSamples, 1,
                    [](uint8_t* p, double v) { p[0] = uint8_t(int8_t(int(v * 125.0))); });
        break;
    case AUDIO_U16LSB:
        convertEach(mixBuffer, stream, numSamples, 2,
                    [](uint8_t* p, double v) { put16LSB(p, int(v * 32760.0 + 32768.0)); });
        break;
    case AUDIO_S16LSB:
        convertEach(mixBuffer, stream, numSamples, 2,
                    [](uint8_t* p, double v) { put16LSB(p, int(v * 32760.0)); });
        break;
    case AUDIO_U16MSB:
        convertEach(mixBuffer, stream, numSamples, 2,
                    [](uint8_t* p, double v) { put16MSB(p, int(v * 32760.0 + 32768.0)); });
        break;
    case AUDIO_S16MSB:
        convertEach(mixBuffer, stream, numSamples, 2,
                    [](uint8_t* p, double v) { put16MSB(p, int(v * 32760.0)); });
        break;
    default:
        for (int i = 0; i < numSamples; ++i) mixBuffer[i] = clampUnit(mixBuffer[i]);
        break;
    }
}
