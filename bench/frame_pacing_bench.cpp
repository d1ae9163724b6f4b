// Frame pacing of the real engine in a window (run under Xvfb): 1,000 empty
// frames over an empty root context. Prints the mean and 95th-percentile frame
// period against the configured frameRate, and the whole process's CPU time
// per frame (the frame wait sleeps, so it should stay well below the period).
#include "BenchEngine.h"
#include "BenchStats.h"
#include "core/Context.h"
#include "core/Plim.h"

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

const int FRAMES = 1000;

void BM_EmptyFramePacing(benchmark::State& state) {
    std::unique_ptr<BenchEngine> engine(new BenchEngine());
    Context* root = new Context();
    double frameRate = PLIM->frameTimer.period;
    std::vector<double> periods;
    double cpu = 0.0;
    for (auto _ : state) {
        periods.clear();
        double cpuStart = BenchStats::processCpuSeconds();
        auto last = std::chrono::steady_clock::now();
        for (int i = 0; i < FRAMES; ++i) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) PLIM->sdlOnEvent(&event);
            PLIM->frame(root);
            auto now = std::chrono::steady_clock::now();
            periods.push_back(std::chrono::duration<double>(now - last).count());
            last = now;
        }
        cpu = BenchStats::processCpuSeconds() - cpuStart;
    }
    delete root;
    engine.reset();

    double sum = 0.0;
    for (double p : periods) sum += p;
    std::vector<double> sorted = periods;
    std::sort(sorted.begin(), sorted.end());
    state.counters["frameRate_ms"] = frameRate * 1000.0;
    state.counters["mean_period_ms"] = sum / periods.size() * 1000.0;
    state.counters["p95_period_ms"] = sorted[sorted.size() * 95 / 100] * 1000.0;
    state.counters["cpu_per_frame_ms"] = cpu / periods.size() * 1000.0;
}

} // namespace

BENCHMARK(BM_EmptyFramePacing)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
