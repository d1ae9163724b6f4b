// The mixer's cost and the memory of decoded effects. One callback of 2,048
// frames at 22,050 Hz with 0, 8, 32 and 64 voices, with and without ramps, as
// a share of the 92.9 ms the buffer lasts; the worst callback while a music
// stream refills inside it; and the memory that 41 decoded effects keep.
// Then the game's own effects on the SDL audio device beside SDL_mixer 1.2
// (DeviceMixComparison.h).
#include "BenchStats.h"
#include "DeviceMixComparison.h"
#include "files/MemoryFile.h"
#include "audio/Mixer.h"
#include "audio/MixerOGGstatic.h"
#include "audio/MixerOGGstream.h"
#include "OggFixture.h"
#include "core/Plim.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const int FRAMES = 2048;
const int RATE = 22050;
const double BUFFER_SECONDS = double(FRAMES) / RATE;

// A MemoryFile holding bytes made here rather than read through the file manager.
MemoryFile* memoryFileOf(const std::string& bytes) {
    MemoryFile* file = new MemoryFile(UString(""));
    file->data = new uint8_t[bytes.size()];
    memcpy(file->data, bytes.data(), bytes.size());
    file->size = int(bytes.size());
    return file;
}

SDL_AudioSpec deviceSpec() {
    SDL_AudioSpec spec{};
    spec.freq = RATE;
    spec.format = AUDIO_S16LSB;
    spec.channels = 2;
    spec.samples = FRAMES;
    spec.size = FRAMES * 4;
    return spec;
}

struct Engine {
    Engine() { engine = new Plim(Plim::Bare{}); }
    ~Engine() {
        delete engine;
        PLIM = nullptr;
    }
    Plim* engine;
};

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_Callback(benchmark::State& state) {
    const int voices = int(state.range(0));
    const bool ramps = state.range(1) != 0;
    Engine engine;
    std::unique_ptr<MemoryFile> file(
        memoryFileOf(OggFixture::encode(OggFixture::sine(2, RATE, RATE, 440.0f, 0.3f), 2, RATE)));
    MixerOGGstatic* effect = new MixerOGGstatic(file.get(), true, voices + 1);
    Mixer* mixer = new Mixer(deviceSpec());
    for (int i = 0; i < voices; ++i) {
        int id = mixer->play(effect, false);
        mixer->setPosition(id, float(i) / float(voices));
        mixer->setPan(id, float(i % 3) - 1.0f, 0.0);
        if (ramps) { // long enough to run through the whole measurement
            mixer->setVolume(id, 0.5f, 1000.0);
            mixer->setPan(id, 0.5f, 1000.0);
            mixer->setFrequency(id, 30000.0f, 1000.0);
        }
        mixer->startChannel(id);
    }
    std::vector<uint8_t> stream(FRAMES * 4);
    double total = 0.0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        mixer->mix(stream.data(), int(stream.size()));
        total += seconds(std::chrono::steady_clock::now() - t0);
        benchmark::DoNotOptimize(stream.data());
    }
    state.counters["buffer_pct"] = 100.0 * total / double(state.iterations()) / BUFFER_SECONDS;
    delete mixer;
    delete effect;
}
BENCHMARK(BM_Callback)
    ->ArgsProduct({{0, 8, 32, 64}, {0, 1}})
    ->ArgNames({"voices", "ramps"})
    ->Unit(benchmark::kMicrosecond)->Apply(BenchStats::wallAndProcessCpu);

// Music at 44,100 Hz stereo (two source frames per output frame) looping
// under eight effects; every callback refills the stream several times.
void BM_WorstCallbackWithMusic(benchmark::State& state) {
    Engine engine;
    std::vector<float> tune = OggFixture::sine(2, 10 * 44100, 44100, 220.0f, 0.4f);
    for (size_t i = 0; i < tune.size(); ++i) tune[i] += 0.05f * float((i * 7919) % 200) / 200.0f;
    std::unique_ptr<MemoryFile> musicFile(memoryFileOf(OggFixture::encode(tune, 2, 44100)));
    std::unique_ptr<MemoryFile> fxFile(
        memoryFileOf(OggFixture::encode(OggFixture::sine(1, RATE, RATE, 440.0f, 0.3f), 1, RATE)));
    MixerOGGstream* music = new MixerOGGstream(musicFile.get(), true, 1);
    MixerOGGstatic* effect = new MixerOGGstatic(fxFile.get(), true, 8);
    Mixer* mixer = new Mixer(deviceSpec());
    mixer->startChannel(mixer->play(music, true));
    for (int i = 0; i < 8; ++i) mixer->startChannel(mixer->play(effect, false));

    std::vector<uint8_t> stream(FRAMES * 4);
    double worst = 0.0, total = 0.0;
    long callbacks = 0;
    for (auto _ : state) {
        // Three minutes of music: the ten-second tune loops many times.
        for (int i = 0; i < 2000; ++i) {
            auto t0 = std::chrono::steady_clock::now();
            mixer->mix(stream.data(), int(stream.size()));
            double t = seconds(std::chrono::steady_clock::now() - t0);
            worst = std::max(worst, t);
            total += t;
            ++callbacks;
        }
    }
    state.counters["worst_us"] = worst * 1e6;
    state.counters["worst_buffer_pct"] = 100.0 * worst / BUFFER_SECONDS;
    state.counters["mean_buffer_pct"] = 100.0 * total / double(callbacks) / BUFFER_SECONDS;
    delete mixer;
    delete effect;
    delete music;
}
BENCHMARK(BM_WorstCallbackWithMusic)->Iterations(1)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);


// 41 effects like the game's: 0.15 to 2 s, mono and stereo, 22,050 and
// 44,100 Hz. Samples take 8 bytes per stereo frame and 4 per mono frame; the
// decoder's state is freed once the effect is decoded, so the heap grows by
// little more than the samples.
void BM_DecodedEffectsMemory(benchmark::State& state) {
    Engine engine;
    const double lengths[] = {0.15, 0.3, 0.6, 1.2, 2.0};
    std::vector<std::unique_ptr<MemoryFile>> files;
    for (int i = 0; i < 41; ++i) {
        int rate = i % 2 ? 44100 : 22050;
        int channels = i % 3 ? 1 : 2;
        int frames = int(lengths[i % 5] * rate);
        files.emplace_back(memoryFileOf(
            OggFixture::encode(OggFixture::sine(channels, frames, rate, 300.0f + i, 0.4f), channels, rate)));
    }
    double decodedBytes = 0, heapGrowth = 0, peakGrowth = 0, soundSeconds = 0;
    for (auto _ : state) {
        std::vector<MixerOGGstatic*> effects;
        size_t before = BenchStats::heapInUse();
        size_t peak = 0;
        for (auto& f : files) {
            effects.push_back(new MixerOGGstatic(f.get(), false, 2));
            peak = std::max(peak, BenchStats::heapInUse());
        }
        heapGrowth = double(BenchStats::heapInUse() - before);
        peakGrowth = double(peak - before);
        decodedBytes = soundSeconds = 0;
        for (MixerOGGstatic* e : effects) {
            decodedBytes += double(e->sampleCapacity / 2 * e->sampleChannels) * sizeof(float);
            soundSeconds += double(e->totalFrames) / e->frequency;
            delete e;
        }
    }
    state.counters["decoded_KiB"] = decodedBytes / 1024;
    state.counters["heap_growth_KiB"] = heapGrowth / 1024;
    state.counters["peak_growth_KiB"] = peakGrowth / 1024;
    state.counters["sound_seconds"] = soundSeconds;
}
BENCHMARK(BM_DecodedEffectsMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return compareDeviceMixing();
}
