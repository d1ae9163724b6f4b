// A full match on the match harness (run under Xvfb): 2,000 world objects kept
// alive over the fourteen layers, both players' displays with five popups and
// a vehicle each, a message on screen, and a scripted collision pass of 200 x
// 200 objects. Prints each whole frame's wall time and the whole process's CPU
// (the software renderer's threads too) against the 15 ms frame period, the
// main thread's CPU of the tick, the drawing and the collision pass (mean and
// 95th percentile), the heap allocations per frame of the world walk, the
// collision pass and the
// displays in the steady state (targets 0, 0 and a small constant), and the
// resident memory after 1,000 and 20,000 frames (target: equal).
#include "MatchHarness.h"
#include "MatchResources.h"
#include "ScriptedController.h"
#include "TestVehicle.h"
#include "modes/Messenger.h"
#include "modes/PlayerHUD.h"
#include "modes/PlayerHUDBonus.h"
#include "world/World.h"
#include "ContextBlender.h"

#include "BenchStats.h"
#include "FrameCost.h"
#include "FrameMark.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace BenchStats;

namespace {

const int OBJECTS = 2000;
const double PERIOD_MS = 15.0;
const int COLLIDING = 200; // in each of the two colliding layers
const int POPUPS = 5;
const int SHORT_RUN = 1000;
const int LONG_RUN = 20000;
const int MEASURED = 1000; // steady-state frames timed, after the short run

// Where the frame has got to: marks between the scene and the displays, and
// after the displays, in both the tick and the drawing.
struct FrameMarks {
    FrameMark tickStart, tickScene, tickHud, renderStart, renderScene, renderHud, collisionsEnd;
};
FrameMarks marks;

// A child of the controller placed after the scene (first) or the displays.
class Probe : public PlimBase {
public:
    Probe(FrameMark* tickMark, FrameMark* renderMark) : tickMark(tickMark), renderMark(renderMark) {}
    void tick(double, double) override { tickMark->take(); }
    void render() override { renderMark->take(); }
    FrameMark* tickMark;
    FrameMark* renderMark;
};

class BenchController : public ScriptedController {
public:
    BenchController() : ScriptedController(2) {}
    void tickContents(double time, double dt) override {
        marks.tickStart.take();
        ScriptedController::tickContents(time, dt);
    }
    void renderContents() override {
        marks.renderStart.take();
        ScriptedController::renderContents();
    }
    void checkCollisions() override {
        ScriptedController::checkCollisions();
        marks.collisionsEnd.take();
    }
    void updateRules() override {} // the world stays as it is
};

// A still object that only steps, draws and takes contacts without damage.
GameObject* still(V3 at) {
    auto* object = new GameObject(-1);
    object->position = at;
    object->bRemoveOffWorld = false;
    object->contactDamage = 0.0f;
    object->pSkin = MatchResources::skin("projectiles:0");
    return object;
}

void build(ScriptedController& match) {
    // 200 against 200 in two layers that overlap on the screen.
    for (int i = 0; i < COLLIDING; ++i) {
        match.place(GameController::LAYER_BULLETS, still(V3(-300.0f + 600.0f * World::fraction(), -200.0f + 400.0f * World::fraction(), 0.0f)));
        match.place(GameController::LAYER_ENEMIES, still(V3(-300.0f + 600.0f * World::fraction(), -200.0f + 400.0f * World::fraction(), 0.0f)));
    }
    match.collideLayers(GameController::LAYER_BULLETS, GameController::LAYER_ENEMIES);
    const int others[] = {GameController::LAYER_ISLANDS,   GameController::LAYER_PALMS,    GameController::LAYER_SMOKE,
                          GameController::LAYER_CANNON_BALLS, GameController::LAYER_SHOTS,  GameController::LAYER_CANNONS,
                          GameController::LAYER_BEAMS,     GameController::LAYER_BOMBS,    GameController::LAYER_ENEMY_PROJECTILES,
                          GameController::LAYER_BALLOONS,  GameController::LAYER_AIRPLANES, GameController::LAYER_FIREWORKS};
    const int rest = OBJECTS - 2 * COLLIDING - 2; // the two vehicles count
    for (int i = 0; i < rest; ++i)
        match.place(others[i % 12], still(V3(-320.0f + 640.0f * World::fraction(), -240.0f + 480.0f * World::fraction(), 0.0f)));
    for (int player = 0; player < 2; ++player) {
        auto* vehicle = new TestVehicle(player, V3(player ? 150.0f : -150.0f, 100.0f, 0.0f), 0.0f);
        vehicle->bControlsEnabled = false;
        vehicle->bRemoveOffWorld = false;
        vehicle->minSpeed = vehicle->speed = 0.0f;
        match.place(GameController::LAYER_AIRPLANES, vehicle);
    }
    match.messenger->setMessage("benchmark", 1e9);
}

// Popups expire after four seconds; the displays are kept at five.
void topUpPopups(GameController* match) {
    for (int player = 0; player < 2; ++player)
        while (MatchHarness::liveChildren(match->playerHud[player]) < POPUPS)
            match->playerHud[player]->addChild(new PlayerHUDBonus(player, "bonus", "", 0));
}

void BM_MatchFrame(benchmark::State& state) {
    if (needsDisplay(state)) return;
    MatchSettings settings;
    settings.draw = true; // frames as the game draws them
    settings.frameRate = PERIOD_MS / 1000.0;
    MatchHarness run(settings);
    GameController* match = run.start([] {
        auto* made = new BenchController();
        made->build = build;
        return made;
    });
    auto* between = new Probe(&marks.tickScene, &marks.renderScene);
    match->insertChildAfter(between, match->scene);
    match->addChild(new Probe(&marks.tickHud, &marks.renderHud));

    FrameCost whole;
    std::vector<double> tick, render, collisions;
    long worldAllocations = 0, collisionAllocations = 0, hudAllocations = 0;
    long shortRss = 0, longRss = 0;
    for (auto _ : state) {
        for (int frame = 1; frame <= LONG_RUN; ++frame) {
            topUpPopups(match);
            const FrameStart start;
            run.step();
            if (frame > SHORT_RUN && frame <= SHORT_RUN + MEASURED) {
                whole.add(start);
                tick.push_back(marks.tickHud.cpu - marks.tickStart.cpu);
                render.push_back(marks.renderHud.cpu - marks.renderStart.cpu);
                collisions.push_back(marks.collisionsEnd.cpu - marks.renderHud.cpu);
                worldAllocations += (marks.tickScene.allocations - marks.tickStart.allocations) +
                                    (marks.renderScene.allocations - marks.renderStart.allocations);
                hudAllocations += (marks.tickHud.allocations - marks.tickScene.allocations) +
                                  (marks.renderHud.allocations - marks.renderScene.allocations);
                collisionAllocations += marks.collisionsEnd.allocations - marks.renderHud.allocations;
            }
            if (frame == SHORT_RUN) shortRss = residentKb();
        }
        longRss = residentKb();
    }
    const double ms = 1000.0;
    int live = 0;
    for (int count : run.liveLayers()) live += count;
    printf("match of %d live objects, %d x %d collision pass, 2 displays with %d popups, 1 message; %d frames\n",
           live, COLLIDING, COLLIDING, POPUPS, LONG_RUN);
    whole.print("  ", {PERIOD_MS});
    printf("  the main thread's CPU per frame (ms, mean / 95th percentile):\n");
    printf("    tick        %7.3f / %7.3f\n", mean(tick) * ms, percentile95(tick) * ms);
    printf("    render      %7.3f / %7.3f\n", mean(render) * ms, percentile95(render) * ms);
    printf("    collisions  %7.3f / %7.3f  (%d contacts over the run)\n", mean(collisions) * ms,
           percentile95(collisions) * ms, static_cast<ScriptedController*>(match)->contacts);
    printf("  heap allocations per frame: world walk %.2f, collisions %.2f, displays %.2f\n",
           double(worldAllocations) / MEASURED, double(collisionAllocations) / MEASURED, double(hudAllocations) / MEASURED);
    printf("  resident memory: %ld KB after %d frames, %ld KB after %d frames\n", shortRss, SHORT_RUN, longRss, LONG_RUN);
    whole.count(state, "frame");
    state.counters["tick_mean_ms"] = mean(tick) * ms;
    state.counters["tick_p95_ms"] = percentile95(tick) * ms;
    state.counters["render_mean_ms"] = mean(render) * ms;
    state.counters["render_p95_ms"] = percentile95(render) * ms;
    state.counters["collide_mean_ms"] = mean(collisions) * ms;
    state.counters["collide_p95_ms"] = percentile95(collisions) * ms;
    state.counters["allocs_world"] = double(worldAllocations) / MEASURED;
    state.counters["allocs_collide"] = double(collisionAllocations) / MEASURED;
    state.counters["allocs_hud"] = double(hudAllocations) / MEASURED;
    state.counters["rss_1k_kb"] = double(shortRss);
    state.counters["rss_20k_kb"] = double(longRss);
}

} // namespace

BENCHMARK(BM_MatchFrame)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
