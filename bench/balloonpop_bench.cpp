// Two-player balloon pop with autocannons on the match harness (under Xvfb,
// so every frame is really drawn): both cannons sweep and fire bursts for the
// whole ten rounds. Per frame in play: its wall time and the whole process's
// CPU (the software renderer's threads too) against the 15 ms frame period,
// the main thread's CPU of the tick, the drawing and the collisions plus rules
// (mean, 95th percentile, max), and the heap allocations per frame. Set
// BALLOONPOP_BENCH_SECONDS to run a shorter match.
#include "BalloonPopScenario.h"
#include "MatchHarness.h"
#include "modes/GameControllerBalloonPop.h"
#include "modes/PlayerData.h"

#include "BenchStats.h"
#include "FrameCost.h"
#include "HeapCount.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace BenchStats;

namespace {

const double FRAME_PERIOD = 0.015;
const double FAST_PERIOD_MS = 10.0; // 100 fps

// CPU marks of one frame.
struct Marks {
    double tickStart = 0, tickEnd = 0, renderStart = 0, drawn = 0, ruled = 0;
};
Marks marks;

class TimedBalloonPop : public GameControllerBalloonPop {
public:
    void tickContents(double time, double dt) override {
        marks.tickStart = cpuSeconds();
        GameControllerBalloonPop::tickContents(time, dt);
        marks.tickEnd = cpuSeconds();
    }
    void renderContents() override {
        marks.renderStart = cpuSeconds();
        GameControllerBalloonPop::renderContents();
    }
    void checkCollisions() override {
        marks.drawn = cpuSeconds();
        GameControllerBalloonPop::checkCollisions();
    }
    void updateRules() override {
        GameControllerBalloonPop::updateRules();
        marks.ruled = cpuSeconds();
    }
};

void print(const char* name, const Series& s) {
    printf("%-22s mean %7.3f  p95 %7.3f  max %7.3f\n", name, s.mean(), s.p95(), s.max());
}

void BM_BalloonPopAutocannons(benchmark::State& state) {
    if (needsDisplay(state)) return;
    double seconds = BalloonPopScenario::MATCH_SECONDS;
    if (const char* limit = getenv("BALLOONPOP_BENCH_SECONDS")) seconds = std::max(10.0, std::min(seconds, atof(limit)));
    MatchSettings settings;
    settings.draw = true; // frames as the game draws them
    settings.frameRate = FRAME_PERIOD;
    MatchHarness run(settings);
    SaveData& saved = run.app->saveData;
    saved.players = 1;
    saved.bAutocannons = 1;
    saved.bInGameHelp = 0;
    saved.bUseMouse = 0;
    saved.bInGameMusic = 0;
    auto* match = static_cast<GameControllerBalloonPop*>(run.start([] { return new TimedBalloonPop(); }));
    BalloonPopScenario::script(run, 2, seconds);

    Series tick, draw, rules, whole, allocs;
    FrameCost frames;
    const int count = int(seconds / FRAME_PERIOD);
    for (auto _ : state) {
        for (int i = 0; i < count && run.matchOnTop(); ++i) {
            const long before = HeapCount::allocations();
            const FrameStart start;
            run.step();
            if (match->state != GameControllerBalloonPop::STATE_PLAYING) continue;
            frames.add(start);
            tick.add((marks.tickEnd - marks.tickStart) * 1000.0);
            draw.add((marks.drawn - marks.renderStart) * 1000.0);
            rules.add((marks.ruled - marks.drawn) * 1000.0);
            whole.add((marks.ruled - marks.tickStart) * 1000.0);
            allocs.add(double(HeapCount::allocations() - before));
        }
    }
    printf("balloon pop, 2 players with autocannons sweeping and firing, %.0f ms frames, %zu frames in play over "
           "%.0f s (rounds played: %d)\n",
           FRAME_PERIOD * 1000.0, whole.v.size(), seconds, match->round);
    frames.print("", {FRAME_PERIOD * 1000.0, FAST_PERIOD_MS});
    printf("the main thread's CPU:\n");
    print("tick (ms)", tick);
    print("draw (ms)", draw);
    print("collisions+rules (ms)", rules);
    print("all of these (ms)", whole);
    print("allocations/frame", allocs);
    printf("scores %d and %d\n", match->playerData[0]->score, match->playerData[1]->score);
    frames.count(state, "frame");
    state.counters["allocs_per_frame"] = allocs.mean();
}

} // namespace

BENCHMARK(BM_BalloonPopAutocannons)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
