#include "MixerChannel.h"

#include "core/ErrorManager.h"
#include "Mixer.h"
#include "MixerOGG.h"

#include <type_traits>

namespace {

inline float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
inline float leftGain(float pan) { return 1.0f - clamp01(pan / 1000.0f); }
inline float rightGain(float pan) { return clamp01((pan + 1000.0f) / 1000.0f); }

} // namespace

MixerChannel::MixerChannel(MixerOGG* source) : frequency(float(source->frequency)), source(source) {
    source->rewind();
    source->refill(&playCursor, &playMax);
}

void MixerChannel::mixChannel(float* out, int numSamples) {
    if (!bStarted) return;
    if (numSamples <= 0) return;
    const Mixer* mixer = static_cast<const Mixer*>(parent);
    int framesLeft = numSamples / 2;
    const float mixFreq = float(mixer->spec.freq);
    const std::atomic<float>& masterVolume = bMusic ? mixer->musicVolume : mixer->effectsVolume;

    source->beginMix(framesLeft * double(frequency) / mixFreq);
    while (framesLeft > 0) {
        if (!source->refill(&playCursor, &playMax)) {
            finish();
            return;
        }
        PLIM_ASSERT(playCursor%2==0);
        PLIM_ASSERT(playMax%2==0);
        // A looping source with no frames at all would loop forever here;
        // one that waits for its next mix plays nothing more in this one.
        if (playCursor < 0 || playCursor >= playMax) {
            if (!source->waitsForNextMix()) finish();
            return;
        }
        float pos = float(playCursor / 2);
        const float endPos = float(playMax / 2);
        const float* samples = source->samples;

        float left = leftGain(pan);
        float right = rightGain(pan);
        float g = float(double(masterVolume.load(std::memory_order_relaxed)) * (volume / 1000.0));
        float gainL = left * g;
        float gainR = right * g;
        float step = frequency / mixFreq;
        // A negative (or undefined) rate would walk out of the samples.
        if (!(step >= 0.0f)) {
            finish();
            return;
        }

        // One output frame from the sample under pos, then on by one step. A
        // mono source stores each frame once and feeds it to both sides.
        auto mixFrame = [&](auto monoLayout) {
            constexpr bool mono = decltype(monoLayout)::value;
            int k = int(pos);
            out[0] += gainL * samples[mono ? k : 2 * k];
            out[1] += gainR * samples[mono ? k : 2 * k + 1];
            out += 2;
            --framesLeft;
            pos += step;
        };
        // False when the voice ended inside the run.
        auto mixRun = [&](auto monoLayout) {
            if (panRampFrames == 0 && volumeRampFrames == 0 && frequencyRampFrames == 0) {
                do {
                    mixFrame(monoLayout);
                } while (pos < endPos && framesLeft > 0);
                return true;
            }
            do {
                if (panRampFrames > 0) {
                    pan += panStep;
                    left = leftGain(pan);
                    right = rightGain(pan);
                    gainL = left * g;
                    gainR = right * g;
                    --panRampFrames;
                }
                if (volumeRampFrames > 0) {
                    volume += volumeStep;
                    g = float(double(masterVolume.load(std::memory_order_relaxed)) * (volume / 1000.0));
                    gainL = left * g;
                    gainR = right * g;
                    // A fade that ends below 1/1000 ends the voice.
                    if (--volumeRampFrames == 0 && volume < 1.0f) return false;
                }
                if (frequencyRampFrames > 0) {
                    frequency += frequencyStep;
                    step = frequency / mixFreq;
                    --frequencyRampFrames;
                    if (!(step >= 0.0f)) return false;
                }
                mixFrame(monoLayout);
            } while (pos < endPos && framesLeft > 0);
            return true;
        };
        const bool finished = source->sampleChannels == 1 ? !mixRun(std::true_type{}) : !mixRun(std::false_type{});
        if (finished) {
            finish();
            return;
        }
        // Past the end only "at or beyond playMax" matters; a huge step must
        // not overflow the index.
        playCursor = pos < 1073741823.0f ? 2 * int(pos) : playMax;
    }
}
