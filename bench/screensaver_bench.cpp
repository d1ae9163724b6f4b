// The fireworks screensaver at graphics detail 1 on the match harness (under
// Xvfb, so every frame is really drawn): CPU of each whole frame (mean, 95th
// percentile, max) against the 15 ms frame period (10 ms at 100 fps), over
// 60 simulated seconds of bursts (SCREENSAVER_BENCH_SECONDS for another span);
// also the whole process's CPU per frame (mean, p95, p99, max), which counts
// the software renderer's threads (LP_NUM_THREADS) too, and the window pixels
// each frame's triangles cover (the counting's time left out of the frames).
#include "BenchStats.h"
#include "FrameFill.h"
#include "MatchHarness.h"
#include "modes/GameControllerScreenSaver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void BM_ScreenSaverDetail1(benchmark::State& state) {
    const char* span = std::getenv("SCREENSAVER_BENCH_SECONDS");
    const double seconds = span ? std::atof(span) : 60.0;
    MatchSettings settings;
    settings.draw = true; // frames as the game draws them
    settings.graphicsDetail = 1;
    MatchHarness harness(settings);
    std::vector<double> frames;
    Series process, pixels;
    int mostFireworks = 0;
    for (auto _ : state) {
        GameController* saver = harness.start([]() -> GameController* { return new GameControllerScreenSaver(); });
        while (saver->time < seconds) {
            FrameFill::startFrame();
            const double start = cpuSeconds(), processStart = BenchStats::processCpuSeconds();
            harness.step();
            const double counting = FrameFill::countingMs();
            frames.push_back(cpuSeconds() - start - counting * 1e-3);
            process.add((BenchStats::processCpuSeconds() - processStart) * 1e3 - counting);
            pixels.add(FrameFill::pixels());
            mostFireworks =
                std::max(mostFireworks, MatchHarness::liveChildren(saver->layer(GameController::LAYER_FIREWORKS)));
        }
        FrameFill::stop();
        harness.finishMatch();
    }
    std::sort(frames.begin(), frames.end());
    double sum = 0.0;
    for (double f : frames) sum += f;
    const double mean = frames.empty() ? 0.0 : sum / double(frames.size());
    const double p95 = frames.empty() ? 0.0 : frames[frames.size() * 95 / 100];
    const double most = frames.empty() ? 0.0 : frames.back();
    std::printf("screensaver detail 1: %zu frames, CPU per frame mean %.3f ms, p95 %.3f ms, max %.3f ms "
                "(period 15 ms / 10 ms at 100 fps); most firework objects %d\n",
                frames.size(), mean * 1e3, p95 * 1e3, most * 1e3, mostFireworks);
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("screensaver detail 1, whole process CPU per frame (LP_NUM_THREADS=%s): mean %.3f ms, p95 %.3f ms, "
                "p99 %.3f ms, max %.3f ms\n",
                threads ? threads : "(unset)", process.mean(), process.p95(), process.p99(), process.max());
    FrameFill::print("screensaver detail 1, ", process, pixels, 15.0);
    state.counters["process_p99_ms"] = process.p99();
    state.counters["mean_ms"] = mean * 1e3;
    state.counters["p95_ms"] = p95 * 1e3;
    state.counters["max_ms"] = most * 1e3;
}

} // namespace

BENCHMARK(BM_ScreenSaverDetail1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
