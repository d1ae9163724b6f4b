// Two island cannons on the match harness (run under Xvfb) at graphics detail
// 1: one streams the bubble gun while the other fires rockets with smoke
// trails, swapping every 4 s, over three palms kept swaying (16 picture rows).
// Prints the peak of live particles, each whole frame's wall time and the
// whole process's CPU (the software renderer's threads too) against the 15 ms
// frame period, the main thread's CPU of the tick and of the drawing (mean,
// 95th percentile and worst), the heap allocations per frame in the steady
// state against the
// shots and effects created in those frames (target: one per object made,
// none per particle or flare), and the resident memory after 1 and after 10
// simulated minutes (target: equal).
#include "ContextBlender.h"
#include "MatchHarness.h"
#include "MatchResources.h"
#include "ParticleCount.h"
#include "ScriptedController.h"
#include "modes/PlayerData.h"
#include "world/Cannon.h"
#include "world/Palm.h"
#include "audio/SoundChannel.h"
#include "modes/GameRecorder.h"
#include "world/World.h"
#include "world/effects/Smoke.h"
#include "world/weapons/Rocket.h"
#include "world/weapons/Swarm.h"

#include "BenchStats.h"
#include "HeapCount.h"
#include "TimedController.h"
#include "TimedFrames.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace BenchStats;

namespace {

using L = GameController;

const double FRAME = 0.015;
const double SWAP_EVERY = 4.0;
const int ONE_MINUTE = int(60.0 / FRAME);
const int TEN_MINUTES = 10 * ONE_MINUTE;
const int MEASURED = 2000; // steady-state frames timed, after the first minute
const int WEAPON_SWARM = 2;
const int WEAPON_ROCKET = 5;

// Fire held all the time, a fresh press every 0.3 s, the barrel sweeping.
class BenchCannon : public Cannon {
public:
    explicit BenchCannon(int owner) : Cannon(owner) {}
    void readControls() override {
        ++frames;
        bFireHeld = true;
        bFirePressed = frames % 20 == 0;
        const bool up = (frames / 150) % 2 == 0;
        bTurnLeft = owner == 0 ? up : !up;
        bTurnRight = !bTurnLeft;
    }
    int frames = 0;
};

// Swaps the two weapons between the cannons and keeps the palms swaying.
class Driver : public PlimBase {
public:
    void tick(double time, double) override {
        GameController* match = GameController::current();
        if (time >= nextSwap) {
            nextSwap = time + SWAP_EVERY;
            match->switchWeapon(0, swapped ? WEAPON_ROCKET : WEAPON_SWARM, true);
            match->switchWeapon(1, swapped ? WEAPON_SWARM : WEAPON_ROCKET, true);
            swapped = !swapped;
        }
        if (time >= nextPush) {
            nextPush = time + 0.5;
            push = -push;
            for (int i = 0; i < match->playerData[0]->numPalms; ++i)
                if (auto* palm = static_cast<Palm*>(match->playerData[0]->palms[i].get()))
                    palm->sway.velocity.x = push;
        }
    }
    double nextSwap = 0.0;
    double nextPush = 0.0;
    float push = 150.0f;
    bool swapped = false;
};

void build(ScriptedController& match) {
    for (int player = 0; player < L::PLAYERS; ++player) {
        auto* island = new Renderable();
        island->pSkin = MatchResources::skin(player ? "island:1" : "island:0");
        island->position = V3(player ? 200.0f : -200.0f, -20.0f, 0.0f);
        island->updateVisuals();
        match.layer(L::LAYER_ISLANDS)->addChild(island);
        match.playerData[player]->pIsland.set(island);
    }
    match.playerData[0]->createPalms(3, false);
    for (int player = 0; player < L::PLAYERS; ++player) {
        auto* cannon = new BenchCannon(player);
        cannon->position = V3(player ? 150.0f : -150.0f, 8.0f, 0.0f);
        cannon->heading = player ? 2.3f : 0.8f;
        cannon->bRemoveOffWorld = false;
        match.place(L::LAYER_CANNONS, cannon);
        match.playerData[player]->pVehicle.set(cannon);
    }
    match.scene->addChild(new Driver());
}

// Objects made in a layer since the last call: appended ones come after the
// marker at the end, ones put at the front before the marker at the front.
class LayerWatch {
public:
    LayerWatch(PlimBase* layer) : layer(layer), front(new PlimBase()), back(new PlimBase()) {
        layer->addChildFirst(front);
        layer->addChild(back);
    }
    int made() {
        int n = 0;
        for (BasicLink* c = layer->firstChild; c && c != front; c = c->next) ++n;
        for (BasicLink* c = back->next; c; c = c->next) ++n;
        layer->removeChild(front);
        layer->removeChild(back);
        layer->addChildFirst(front);
        layer->addChild(back);
        return n;
    }
    PlimBase* layer;
    PlimBase* front;
    PlimBase* back;
};

void BM_CannonsBubblesRockets(benchmark::State& state) {
    if (needsDisplay(state)) return;
    MatchHarness run(TimedController::drawnAtDetail1(FRAME));
    TimedController* timed = TimedController::start(run, build);
    GameController* match = timed;
    // The run's event log would keep a line per sound: not the game's memory.
    SoundChannel::onStarted = nullptr;
    GameRecorder::current = nullptr;
    std::vector<LayerWatch> watches;
    for (int layer : {L::LAYER_SHOTS, L::LAYER_SMOKE, L::LAYER_FIREWORKS}) watches.emplace_back(match->layer(layer));

    TimedFrames measured;
    long objectsMade = 0;
    long idleAllocations = 0, idleFrames = 0; // frames that made nothing
    int peak = 0;
    long minuteRss = 0, tenMinuteRss = 0;
    long minuteLive = 0, tenMinuteLive = 0; // heap blocks made with new and not yet released
    for (auto _ : state) {
        for (int frame = 1; frame <= TEN_MINUTES; ++frame) {
            const FrameStart start;
            run.step();
            // The counting below is the benchmark's, not the frame's.
            const FrameStart end;
            int made = 0;
            for (LayerWatch& watch : watches) made += watch.made();
            peak = std::max(peak, ParticleCount::live(match));
            if (frame > ONE_MINUTE && frame <= ONE_MINUTE + MEASURED) {
                const long frameAllocations = measured.add(start, end, *timed);
                objectsMade += made;
                if (made == 0) {
                    idleAllocations += frameAllocations;
                    ++idleFrames;
                }
            }
            if (frame == ONE_MINUTE) {
                minuteRss = residentKb();
                minuteLive = HeapCount::allocations() - HeapCount::releases();
            }
        }
        tenMinuteRss = residentKb();
        tenMinuteLive = HeapCount::allocations() - HeapCount::releases();
    }
    // What one object of each kind costs in allocations, made on its own.
    auto cost = [](const std::function<void()>& make) {
        const long before = HeapCount::allocations();
        make();
        return HeapCount::allocations() - before;
    };
    const long bubble = cost([] { World::add(L::LAYER_SHOTS, new Swarm(0, 0.0f, 0.0f, 0.0f, 1.0f, 768.0f)); });
    const long rocket = cost([] { World::add(L::LAYER_SHOTS, new Rocket(0, 0.0f, 0.0f, 0.0f, 1.0f, 500.0f)); });
    const long puff = cost([] {
        const Emission puffShape = Emission(V3(0.0f, 0.0f, 0.0f)).particles(2).speeds(25.0f, 50.0f).spreading(0.7f);
        World::add(L::LAYER_SMOKE, new Smoke(puffShape, UColor::WHITE));
    });
    const long sound = cost([] { World::playAt("bubbles", V3(0.0f, 0.0f, 0.0f)); });
    const long lookup = cost([] { World::texture("projectiles"); });
    const double ms = 1000.0;
    printf("two cannons, bubble gun and rockets with trails at detail 1, swapping every %.0f s, over 3 swaying "
           "palms (16 rows); %d frames of %.0f ms\n",
           SWAP_EVERY, TEN_MINUTES, FRAME * ms);
    printf("  peak live particles: %d\n", peak);
    measured.print("  ", FRAME * ms);
    const long allocations = measured.allocations;
    printf("  heap allocations over %d steady frames: %ld for %ld shots and effects made (%.2f per object, %.2f per "
           "frame)\n",
           MEASURED, allocations, objectsMade, objectsMade ? double(allocations) / double(objectsMade) : 0.0,
           double(allocations) / MEASURED);
    printf("  frames that made nothing: %ld, %.2f allocations each\n", idleFrames,
           idleFrames ? double(idleAllocations) / double(idleFrames) : 0.0);
    printf("  allocations to make one: bubble %ld, rocket %ld, smoke puff %ld, sound played %ld, resource lookup %ld\n",
           bubble, rocket, puff, sound, lookup);
    printf("  resident memory: %ld KB after 1 minute, %ld KB after 10 minutes; live heap blocks %ld and %ld\n",
           minuteRss, tenMinuteRss, minuteLive, tenMinuteLive);
    state.counters["peak_particles"] = peak;
    measured.count(state);
    state.counters["allocs_per_object"] = objectsMade ? double(allocations) / double(objectsMade) : 0.0;
    state.counters["rss_1min_kb"] = double(minuteRss);
    state.counters["rss_10min_kb"] = double(tenMinuteRss);
}

} // namespace

BENCHMARK(BM_CannonsBubblesRockets)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
