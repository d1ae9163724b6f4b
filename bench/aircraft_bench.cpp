// The computer pilots on the match harness (under Xvfb). (1) Two pilots, the
// palm attacker and the duel pilot, deciding among 500 objects spread over
// the balloon, cannon-ball and bullet layers: microseconds (wall time) per
// pilot per frame, heap allocations per decision. (2) A dogfight of two duel
// pilots over two islands with frequent bonus balloons, really drawn: each
// whole frame's wall time and the whole process's CPU (the software
// renderer's threads too) against the 15 ms frame period and the 10 ms of the
// default 100 fps, the main thread's CPU split into tick, drawing, collisions
// plus rules (mean, 95th percentile, max), and allocations per frame.
// AIRCRAFT_BENCH_SECONDS sets the dogfight's length.
#include "DogfightScenario.h"
#include "HitTarget.h"
#include "MatchHarness.h"
#include "modes/PlayerData.h"
#include "world/pilots/AirplaneComputerControl.h"
#include "world/pilots/AirplaneComputerControlDuel.h"

#include "BenchStats.h"
#include "FrameCost.h"
#include "HeapCount.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace BenchStats;

namespace {

using L = GameController;

const int OBJECTS = 500;
const int DECISIONS = 20000;
const double FRAME = 0.01;
const double PERIOD_MS = 15.0, DEFAULT_PERIOD_MS = 10.0;

size_t soundCount(const MatchHarness& run, const char* name) {
    const std::string key = std::string("\tsound\t") + name + "\t";
    return size_t(std::count_if(run.log.lines.begin(), run.log.lines.end(),
                                [&](const std::string& line) { return line.find(key) != std::string::npos; }));
}

void BM_PilotDecisions(benchmark::State& state) {
    if (needsDisplay(state)) return;
    MatchSettings settings;
    settings.draw = true; // frames as the game draws them
    MatchHarness run(settings);
    GameController* match = run.start([] { return new GameController(); });
    const int layers[3] = {L::LAYER_BALLOONS, L::LAYER_CANNON_BALLS, L::LAYER_BULLETS};
    for (int i = 0; i < OBJECTS; ++i) {
        auto* object = new HitTarget(1 - i % 2, V3(float(i % 50) * 24.0f - 600.0f, float(i / 50) * 40.0f, 0.0f));
        object->velocity = V3(float(i % 7) * 40.0f - 120.0f, float(i % 5) * 30.0f - 60.0f, 0.0f);
        object->heading = float(i) * 0.1f;
        match->layer(layers[i % 3])->addChild(object);
    }
    auto* attacker = new AirplaneComputerControl(0);
    auto* duel = new AirplaneComputerControlDuel(1);
    attacker->position = V3(-100.0f, 150.0f, 0.0f);
    duel->position = V3(100.0f, 200.0f, 0.0f);
    for (Airplane* plane : {static_cast<Airplane*>(attacker), static_cast<Airplane*>(duel)}) {
        match->layer(L::LAYER_AIRPLANES)->addChild(plane);
        match->playerData[plane->owner]->pVehicle.set(plane);
    }
    double attackerUs = 0.0, duelUs = 0.0;
    long attackerAllocs = 0, duelAllocs = 0;
    for (auto _ : state) {
        const long a0 = HeapCount::allocations();
        double t0 = wallSeconds();
        for (int i = 0; i < DECISIONS; ++i) attacker->readControls();
        attackerUs = (wallSeconds() - t0) * 1e6 / DECISIONS;
        const long a1 = HeapCount::allocations();
        t0 = wallSeconds();
        for (int i = 0; i < DECISIONS; ++i) duel->readControls();
        duelUs = (wallSeconds() - t0) * 1e6 / DECISIONS;
        attackerAllocs = a1 - a0;
        duelAllocs = HeapCount::allocations() - a1;
    }
    printf("pilots among %d objects (balloons, cannon balls, bullets): palm attacker %.2f us, duel pilot %.2f us per "
           "frame; allocations per decision %.3f and %.3f\n",
           OBJECTS, attackerUs, duelUs, double(attackerAllocs) / DECISIONS, double(duelAllocs) / DECISIONS);
    state.counters["attacker_us"] = attackerUs;
    state.counters["duel_us"] = duelUs;
}

struct Marks {
    double tickStart = 0, tickEnd = 0, renderStart = 0, drawn = 0, ruled = 0;
};
Marks marks;

class TimedDogfight : public DogfightMatch {
public:
    void tickContents(double time, double dt) override {
        marks.tickStart = cpuSeconds();
        DogfightMatch::tickContents(time, dt);
        marks.tickEnd = cpuSeconds();
    }
    void renderContents() override {
        marks.renderStart = cpuSeconds();
        DogfightMatch::renderContents();
        marks.ruled = cpuSeconds();
    }
    void checkCollisions() override {
        marks.drawn = cpuSeconds();
        DogfightMatch::checkCollisions();
    }
};

void BM_Dogfight(benchmark::State& state) {
    if (needsDisplay(state)) return;
    double seconds = 120.0;
    if (const char* s = getenv("AIRCRAFT_BENCH_SECONDS")) seconds = std::max(1.0, atof(s));
    MatchSettings settings;
    settings.draw = true; // frames as the game draws them
    settings.frameRate = FRAME;
    MatchHarness run(settings);
    auto* match = static_cast<TimedDogfight*>(run.start([] {
        auto* made = new TimedDogfight();
        made->build = DogfightScenario::build;
        return made;
    }));
    Series tick, draw, rules, whole, allocs;
    FrameCost frames;
    for (auto _ : state) {
        const int count = int(seconds / FRAME);
        for (int i = 0; i < count; ++i) {
            const long before = HeapCount::allocations();
            const FrameStart start;
            run.step();
            frames.add(start);
            tick.add((marks.tickEnd - marks.tickStart) * 1000.0);
            draw.add((marks.drawn - marks.renderStart) * 1000.0);
            rules.add((marks.ruled - marks.drawn) * 1000.0);
            whole.add((marks.tickEnd - marks.tickStart + marks.ruled - marks.renderStart) * 1000.0);
            allocs.add(double(HeapCount::allocations() - before));
        }
    }
    printf("dogfight of two duel pilots, frequent bonuses, %.0f s at %.0f ms frames: %d pilots lost (%zu shot down), "
           "%d balloons, %zu shots, scores %d : %d\n",
           seconds, FRAME * 1000.0, match->pilotsLost, soundCount(run, "engineSpinning"), match->balloonsSpawned,
           soundCount(run, "bulletFire"), match->playerData[0]->score, match->playerData[1]->score);
    frames.print("", {PERIOD_MS, DEFAULT_PERIOD_MS});
    printf("the main thread's CPU per frame (ms)      mean    p95     max\n");
    printf("  tick               %6.3f %6.3f %7.3f\n", tick.mean(), tick.p95(), tick.max());
    printf("  draw               %6.3f %6.3f %7.3f\n", draw.mean(), draw.p95(), draw.max());
    printf("  collisions+rules   %6.3f %6.3f %7.3f\n", rules.mean(), rules.p95(), rules.max());
    printf("  all of these       %6.3f %6.3f %7.3f\n", whole.mean(), whole.p95(), whole.max());
    printf("allocations per frame: mean %.2f, p95 %.0f, max %.0f\n", allocs.mean(), allocs.p95(), allocs.max());
    frames.count(state, "frame");
}

} // namespace

BENCHMARK(BM_PilotDecisions)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK(BM_Dogfight)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
