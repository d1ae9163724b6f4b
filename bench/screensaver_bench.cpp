// The fireworks screensaver at graphics detail 1 on the match harness (under
// Xvfb, so every frame is really drawn), over 60 simulated seconds of bursts
// (SCREENSAVER_BENCH_SECONDS for another span): each whole frame's wall time
// and the whole process's CPU, which counts the software renderer's threads
// (LP_NUM_THREADS) too (mean, p95, p99, max), against the 15 ms frame period
// (10 ms at 100 fps), the main thread's share of that CPU, and the window
// pixels each frame's triangles cover (the counting's time left out of the
// frames).
#include "BenchStats.h"
#include "FrameCost.h"
#include "FrameFill.h"
#include "MatchHarness.h"
#include "modes/GameControllerScreenSaver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const double PERIOD_MS = 15.0, FAST_PERIOD_MS = 10.0;

void BM_ScreenSaverDetail1(benchmark::State& state) {
    const char* span = std::getenv("SCREENSAVER_BENCH_SECONDS");
    const double seconds = span ? std::atof(span) : 60.0;
    MatchSettings settings;
    settings.draw = true; // frames as the game draws them
    settings.graphicsDetail = 1;
    MatchHarness harness(settings);
    FrameCost frames;
    Series mainThread, pixels;
    int mostFireworks = 0;
    for (auto _ : state) {
        GameController* saver = harness.start([]() -> GameController* { return new GameControllerScreenSaver(); });
        while (saver->time < seconds) {
            FrameFill::startFrame();
            const double threadStart = BenchStats::cpuSeconds();
            const FrameStart start;
            harness.step();
            const double counting = FrameFill::countingMs();
            frames.add(start, counting);
            mainThread.add((BenchStats::cpuSeconds() - threadStart) * 1e3 - counting);
            pixels.add(FrameFill::pixels());
            mostFireworks =
                std::max(mostFireworks, MatchHarness::liveChildren(saver->layer(GameController::LAYER_FIREWORKS)));
        }
        FrameFill::stop();
        harness.finishMatch();
    }
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("screensaver detail 1 (LP_NUM_THREADS=%s): most firework objects %d\n", threads ? threads : "(unset)",
                mostFireworks);
    frames.print("  ", {PERIOD_MS, FAST_PERIOD_MS});
    std::printf("  the main thread's CPU per frame (ms) mean %.3f, p95 %.3f, max %.3f\n", mainThread.mean(),
                mainThread.p95(), mainThread.max());
    FrameFill::print("  ", frames.process, pixels, PERIOD_MS);
    frames.count(state, "frame");
    state.counters["process_p99_ms"] = frames.process.p99();
}

} // namespace

BENCHMARK(BM_ScreenSaverDetail1)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
