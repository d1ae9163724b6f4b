// The heaviest enemy scene on the match harness (run under Xvfb), at detail 1
// and the 15 ms frame period: a two-player wave of about 90 enemies of every
// kind released over 20 s beside a type-4 zeppelin (a propelled bomb every
// 1.3 s), shot down by a scripted gunner, then the zeppelin's four turrets
// downed by a script, its 5-second burn and its final blast. Prints each whole
// frame's wall time and the whole process's CPU (Mesa's software renderer
// draws on threads of its own) against the 15 ms period, and the main
// thread's CPU of the tick, the drawing and the collision pass (mean, 95th
// percentile, worst; the blast frames apart), the wall time and bytes to build
// the wave's spawners, the heap allocations per frame of the enemy ticks
// against the effects, shots and sounds they create (target: none in frames
// that create nothing), and the resident memory after 1 and after 20 waves
// (target: equal).
#include "EnemyScenarios.h"
#include "MatchHarness.h"
#include "ContextBlender.h"
#include "core/Reference.h"
#include "world/enemies/EnemySpawner.h"
#include "world/enemies/Zeppelin.h"
#include "world/enemies/ZeppelinTurret.h"

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

const int WAVES = 20;
const double PERIOD_MS = 15.0;
const double WAVE_SECONDS = 45.0;  // at most; a wave ends once every enemy has
const double RELEASE_END = 17.0;   // spawner clock; released until 20 s
const double GUNNER_INTERVAL = 0.05;
const double TURRET_SHOTS[] = {24.0, 26.0, 28.0, 30.0};
const double BLAST_FRAMES_SECONDS = 2.0; // the blast's particles live this long

struct Row {
    int type, groups, perGroup, tint;
};
// Before the two-player scaling of the group counts: 94 enemies with it.
const Row WAVE[] = {{EnemySpawner::TYPE_BIPLANE, 6, 2, 0},
                    {EnemySpawner::TYPE_P35, 4, 2, 0},
                    {EnemySpawner::TYPE_BOMBER, 2, 1, 0},
                    {EnemySpawner::TYPE_HOT_AIR_BALLOON, 4, 2, 0},
                    {EnemySpawner::TYPE_HOT_AIR_BALLOON_BOMB, 2, 2, 0},
                    {EnemySpawner::TYPE_KAMIKAZE, 4, 2, 0},
                    {EnemySpawner::TYPE_PROPELLED_BOMB, 4, 1, 0},
                    {EnemySpawner::TYPE_TORPEDO, 4, 2, 0},
                    {EnemySpawner::TYPE_TORPEDO_BLACK, 2, 1, 0},
                    {EnemySpawner::TYPE_ATOM_BOMB, 2, 1, 0},
                    {EnemySpawner::TYPE_BALLISTIC, 2, 1, 0},
                    {EnemySpawner::TYPE_CRATE, 2, 1, 0},
                    {EnemySpawner::TYPE_ZEPPELIN, 1, 1, 4}};

struct Mark {
    double cpu = 0.0;
    long allocations = 0;
    int created = 0; // effects and shots in their layers, sounds started
    void take() {
        cpu = cpuSeconds();
        allocations = HeapCount::allocations();
    }
};

struct FrameMarks {
    Mark tickStart, tickEnd, enemiesStart, enemiesEnd, renderStart, renderEnd, collisionsEnd;
};
FrameMarks marks;
MatchHarness* bench = nullptr;

// Effects and shots so far in the layers the enemy ticks add to (none of them
// is walked during the enemy layer's walk), and the sounds started.
int createdSoFar() {
    GameController* match = bench->controller;
    return int(match->layer(GameController::LAYER_SMOKE)->getNumChildren() +
               match->layer(GameController::LAYER_ENEMY_PROJECTILES)->getNumChildren() +
               match->layer(GameController::LAYER_FIREWORKS)->getNumChildren() + bench->log.lines.size());
}

// Placed in the scene just before and just after the enemy layer.
class EnemyProbe : public PlimBase {
public:
    explicit EnemyProbe(Mark* mark) : mark(mark) {}
    void tick(double, double) override {
        mark->take();
        mark->created = createdSoFar();
    }
    Mark* mark;
};

class BenchController : public EnemyMatch {
public:
    BenchController() : EnemyMatch(2) {}
    void tickContents(double time, double dt) override {
        marks.tickStart.take();
        EnemyMatch::tickContents(time, dt);
        marks.tickEnd.take();
    }
    void renderContents() override {
        marks.renderStart.take();
        Context::renderContents();
        marks.renderEnd.take();
        checkCollisions();
        marks.collisionsEnd.take();
    }
};

// Downs one standing turret at each time of the script.
class TurretScript : public PlimBase {
public:
    TurretScript() : shot(0) {}
    void tick(double, double dt) override {
        clock += dt;
        if (next >= 4 || clock < TURRET_SHOTS[next]) return;
        ++next;
        for (BasicLink* link = GameController::current()->layer(GameController::LAYER_ENEMIES)->firstChild; link;
             link = link->next) {
            auto* turret = dynamic_cast<ZeppelinTurret*>(static_cast<PlimBase*>(link));
            if (!turret || link->bDestroyPending) continue;
            shot.dealDamage(turret, turret->energy);
            return;
        }
    }
    GameObject shot;
    double clock = 0.0;
    int next = 0;
};

struct Spike {
    double seconds = 0.0;
    long allocations = 0, bytes = 0;
    int enemies = 0;
};

// The wave's spawners under a fresh holder, the turret script beside them.
Spike startWave(GameController* match, PlimBase*& holder) {
    if (holder) holder->deleteMe();
    match->layer(GameController::LAYER_ENEMIES)->destroyChildren();
    holder = new PlimBase();
    match->scene->addChildFirst(holder);
    Spike spike;
    const double start = wallSeconds();
    const long count = HeapCount::allocations(), bytes = HeapCount::bytes();
    for (const Row& row : WAVE)
        holder->addChild(new EnemySpawner(row.type, 0.0, RELEASE_END, row.groups, row.perGroup, false, 1.0f, row.tint));
    spike.seconds = wallSeconds() - start;
    spike.allocations = HeapCount::allocations() - count;
    spike.bytes = HeapCount::bytes() - bytes;
    spike.enemies = EnemySpawner::pendingIn(holder);
    holder->addChild(new TurretScript());
    return spike;
}

// The whole frames of the enemy wave and the main thread's phases of them.
struct FramePhases {
    FrameCost whole;
    std::vector<double> tick, render, collisions;
    void add(const FrameStart& start) {
        whole.add(start);
        tick.push_back(marks.tickEnd.cpu - marks.tickStart.cpu);
        render.push_back(marks.renderEnd.cpu - marks.renderStart.cpu);
        collisions.push_back(marks.collisionsEnd.cpu - marks.renderEnd.cpu);
    }
    void print(const char* title) const {
        const double ms = 1000.0;
        printf("  %s, %zu frames:\n", title, tick.size());
        whole.print("    ", {PERIOD_MS});
        printf("    the main thread's CPU (ms, mean / 95th percentile / worst):\n");
        printf("    tick        %7.3f / %7.3f / %7.3f\n", mean(tick) * ms, percentile95(tick) * ms, worst(tick) * ms);
        printf("    render      %7.3f / %7.3f / %7.3f\n", mean(render) * ms, percentile95(render) * ms,
               worst(render) * ms);
        printf("    collisions  %7.3f / %7.3f / %7.3f\n", mean(collisions) * ms, percentile95(collisions) * ms,
               worst(collisions) * ms);
    }
};

void BM_EnemyWave(benchmark::State& state) {
    if (needsDisplay(state)) return;
    MatchSettings settings;
    settings.draw = true; // frames as the game draws them
    settings.frameRate = PERIOD_MS / 1000.0;
    settings.graphicsDetail = 1;
    MatchHarness run(settings);
    bench = &run;
    auto* match = static_cast<BenchController*>(run.start([] {
        auto* made = new BenchController();
        made->build = [](ScriptedController& m) {
            EnemyScenarios::buildIsland(m);
            EnemyScenarios::addGunner(m, GUNNER_INTERVAL);
            m.collideLayers(GameController::LAYER_ENEMY_PROJECTILES, GameController::LAYER_PALMS);
        };
        return made;
    }));
    match->scene->insertChildAfter(new EnemyProbe(&marks.enemiesStart), match->layer(GameController::LAYER_AIRPLANES));
    match->scene->insertChildAfter(new EnemyProbe(&marks.enemiesEnd), match->layer(GameController::LAYER_ENEMIES));

    FramePhases steady, blast;
    Spike firstSpike, worstSpike;
    long enemyAllocations = 0, enemyCreated = 0, steadyFrames = 0;
    long quietAllocations = 0, quietFrames = 0; // frames whose enemy ticks created nothing
    long oneWaveRss = 0, lastRss = 0;
    std::vector<long> rssByWave;
    int frames = 0, blasts = 0;
    PlimBase* holder = nullptr;
    const int waveFrames = int(WAVE_SECONDS / settings.frameRate);
    for (auto _ : state) {
        for (int wave = 1; wave <= WAVES; ++wave) {
            // The harness's event log is no part of the game's memory.
            run.log.lines.clear();
            const Spike spike = startWave(match, holder);
            if (wave == 1) firstSpike = spike;
            if (spike.seconds > worstSpike.seconds) worstSpike = spike;
            Reference<Zeppelin> zeppelin(nullptr);
            int blastUntil = -1;
            for (int f = 0; f < waveFrames; ++f) {
                if (!zeppelin.get())
                    for (BasicLink* l = match->layer(GameController::LAYER_ENEMIES)->firstChild; l && blastUntil < 0;
                         l = l->next)
                        if (auto* z = dynamic_cast<Zeppelin*>(static_cast<PlimBase*>(l))) zeppelin.set(z);
                const bool flying = zeppelin.get() != nullptr;
                const FrameStart start;
                run.step();
                ++frames;
                if (flying && !zeppelin.get()) {
                    blastUntil = f + int(BLAST_FRAMES_SECONDS / settings.frameRate);
                    ++blasts;
                }
                if (wave == 1 && f <= blastUntil) {
                    blast.add(start);
                } else if (wave == 1) {
                    steady.add(start);
                    const long allocated = marks.enemiesEnd.allocations - marks.enemiesStart.allocations;
                    const int created = marks.enemiesEnd.created - marks.enemiesStart.created;
                    enemyAllocations += allocated;
                    enemyCreated += created;
                    ++steadyFrames;
                    if (created == 0) {
                        quietAllocations += allocated;
                        ++quietFrames;
                    }
                }
                if (blastUntil >= 0 && f > blastUntil && EnemyScenarios::enemiesLeft(match) == 0) break;
            }
            rssByWave.push_back(residentKb());
            if (wave == 1) oneWaveRss = rssByWave.back();
        }
        lastRss = residentKb();
    }
    const double ms = 1000.0;
    printf("enemy wave of %d enemies (%d spawners) beside a type-4 zeppelin, 2 players, detail 1; %d waves, %d frames, "
           "%d final blasts\n",
           firstSpike.enemies, int(sizeof WAVE / sizeof WAVE[0]), WAVES, frames, blasts);
    steady.print("first wave without the blast");
    blast.print("the final blast's frames");
    printf("  wave start: %.3f ms, %ld allocations, %ld bytes to build the spawners (worst of %d waves %.3f ms)\n",
           firstSpike.seconds * ms, firstSpike.allocations, firstSpike.bytes, WAVES, worstSpike.seconds * ms);
    printf("  enemy ticks per frame: %.3f heap allocations, %.3f effects, shots and sounds created; "
           "%.3f allocations in the %ld frames that created nothing\n",
           double(enemyAllocations) / double(std::max(1L, steadyFrames)),
           double(enemyCreated) / double(std::max(1L, steadyFrames)),
           double(quietAllocations) / double(std::max(1L, quietFrames)), quietFrames);
    printf("  resident memory: %ld KB after 1 wave, %ld KB after %d waves (after waves 2, 5, 10, 15: %ld, %ld, %ld, %ld KB)\n",
           oneWaveRss, lastRss, WAVES, rssByWave[1], rssByWave[4], rssByWave[9], rssByWave[14]);
    steady.whole.count(state, "frame");
    blast.whole.count(state, "blast_frame");
    state.counters["tick_mean_ms"] = mean(steady.tick) * ms;
    state.counters["tick_p95_ms"] = percentile95(steady.tick) * ms;
    state.counters["render_mean_ms"] = mean(steady.render) * ms;
    state.counters["collide_mean_ms"] = mean(steady.collisions) * ms;
    state.counters["blast_render_worst_ms"] = worst(blast.render) * ms;
    state.counters["enemy_allocs_quiet"] = double(quietAllocations) / double(std::max(1L, quietFrames));
    state.counters["wave_start_ms"] = firstSpike.seconds * ms;
    state.counters["wave_start_bytes"] = double(firstSpike.bytes);
    state.counters["rss_1_wave_kb"] = double(oneWaveRss);
    state.counters["rss_20_waves_kb"] = double(lastRss);
    bench = nullptr;
}

} // namespace

BENCHMARK(BM_EnemyWave)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
