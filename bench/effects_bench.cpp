// The end scene's salvo on the match harness (run under Xvfb): 14 firework
// fuses at graphics detail 1, with their spark trails and 100-flare bursts,
// launched again every 3 seconds. Prints the peak of live particles, each
// whole frame's wall time and the whole process's CPU (the software
// renderer's threads too) against the 15 ms frame period, the main thread's
// CPU of the tick and of the drawing (mean, 95th percentile and worst), the
// heap allocations per frame in
// the steady state against the effects created in those frames (target: one
// per effect, none per particle), and the resident memory after 1 and after
// 10 simulated minutes (target: equal).
#include "ContextBlender.h"
#include "MatchHarness.h"
#include "ParticleCount.h"
#include "util/Random.h"
#include "ScriptedController.h"
#include "app/MyGlobal.h"
#include "world/World.h"
#include "world/effects/FireworkFuse.h"

#include "BenchStats.h"
#include "HeapCount.h"
#include "TimedController.h"
#include "TimedFrames.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace BenchStats;

namespace {

const double FRAME = 0.015;
const int FUSES = 14;
const double SALVO_EVERY = 3.0;
const int ONE_MINUTE = int(60.0 / FRAME);
const int TEN_MINUTES = 10 * ONE_MINUTE;
const int MEASURED = 2000; // steady-state frames timed, after the first minute

// The salvo from the winner's island, as the end scene launches it.
class Salvo : public PlimBase {
public:
    void tick(double time, double) override {
        if (time < next) return;
        next = time + SALVO_EVERY;
        for (int i = 0; i < FUSES; ++i) {
            const int a = Random::next(), b = Random::next();
            World::add(GameController::LAYER_FIREWORKS,
                       new FireworkFuse(-200.0f, 12.0f, 0.0f, float(b % 512 - 256), float(a % 384 + 128), 0.0f, 1.0,
                                        2.0, MyGlobal::randomPureColour()));
        }
    }
    double next = 0.0;
};

void BM_FireworkSalvo(benchmark::State& state) {
    if (needsDisplay(state)) return;
    MatchHarness run(TimedController::drawnAtDetail1(FRAME));
    TimedController* timed =
        TimedController::start(run, [](ScriptedController& m) { m.scene->addChild(new Salvo()); });
    GameController* match = timed;
    PlimBase* layer = match->layer(GameController::LAYER_FIREWORKS);
    // Everything after the marker at the end of a frame was made in it.
    PlimBase* marker = new PlimBase();
    layer->addChild(marker);

    TimedFrames measured;
    long effectsMade = 0;
    int peak = 0;
    long minuteRss = 0, tenMinuteRss = 0;
    for (auto _ : state) {
        for (int frame = 1; frame <= TEN_MINUTES; ++frame) {
            const FrameStart start;
            run.step();
            // The counting below is the benchmark's, not the frame's.
            const FrameStart end;
            int made = 0;
            for (BasicLink* c = marker->next; c; c = c->next) ++made;
            layer->removeChild(marker);
            layer->addChild(marker);
            peak = std::max(peak, ParticleCount::live(match));
            if (frame > ONE_MINUTE && frame <= ONE_MINUTE + MEASURED) {
                measured.add(start, end, *timed);
                effectsMade += made;
            }
            if (frame == ONE_MINUTE) minuteRss = residentKb();
        }
        tenMinuteRss = residentKb();
    }
    const double ms = 1000.0;
    printf("end scene salvo: %d fuses every %.0f s at detail 1 (trails, 100-flare bursts); %d frames of %.0f ms\n",
           FUSES, SALVO_EVERY, TEN_MINUTES, FRAME * ms);
    printf("  peak live particles: %d\n", peak);
    measured.print("  ", FRAME * ms);
    const long allocations = measured.allocations;
    printf("  heap allocations over %d steady frames: %ld for %ld effects made (%.2f per effect, %.2f per frame)\n",
           MEASURED, allocations, effectsMade, effectsMade ? double(allocations) / double(effectsMade) : 0.0,
           double(allocations) / MEASURED);
    printf("  resident memory: %ld KB after 1 minute, %ld KB after 10 minutes\n", minuteRss, tenMinuteRss);
    state.counters["peak_particles"] = peak;
    measured.count(state);
    state.counters["allocs_per_effect"] = effectsMade ? double(allocations) / double(effectsMade) : 0.0;
    state.counters["rss_1min_kb"] = double(minuteRss);
    state.counters["rss_10min_kb"] = double(tenMinuteRss);
}

} // namespace

BENCHMARK(BM_FireworkSalvo)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
