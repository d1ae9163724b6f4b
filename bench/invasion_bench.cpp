// The invasion's fifty waves on the match harness (under Xvfb, so every frame
// is really drawn), two players, each cannon the aiming test bot, palms kept
// standing. Per wave: enemies built, the wall time of the frame that builds
// the wave, the peak of live objects per layer, each whole frame's wall time
// and the whole process's CPU (the software renderer's threads too; mean and
// 95th percentile), the main thread's CPU per frame of the tick, the drawing,
// the collision walks and the rules (mean, 95th percentile, max),
// resident memory, the heap in use and the free heap the allocator holds, all
// three at the wave's start (target: flat after wave 5), the fonts' cache
// textures, and the bytes the harness's event log gathered over the wave
// (dropped after every frame: it is the harness's, not the game's, and its
// lines would lie scattered through the heap). The heaviest wave by the whole
// process's CPU has its frames set against the 15 ms period. Then the end
// scene at graphics detail 1: its frames the same way, and live flares. Set
// INVASION_BENCH_WAVES
// to run fewer waves, INVASION_BENCH_KEEP_LOG to keep the event log all run.
#include "AimingCannon.h"
#include "BenchSaves.h"
#include "MatchHarness.h"
#include "ParticleCount.h"
#include "app/ContextManager.h"
#include "FontQuad.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerCampaign.h"
#include "modes/PlayerData.h"
#include "world/enemies/EnemySpawner.h"

#include "BenchStats.h"
#include "FrameCost.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <vector>

using namespace BenchStats;

namespace {

const double FRAME_PERIOD = 0.015;
const double WAVE_LIMIT = 240.0; // simulated seconds per wave at most
const double END_SCENE_SECONDS = 40.0;

// CPU marks of one frame.
struct Marks {
    double tickStart = 0, tickEnd = 0, renderStart = 0, drawn = 0, collided = 0, ruled = 0;
};
Marks marks;

class TimedInvasion : public GameControllerCampaign {
public:
    void tickContents(double time, double dt) override {
        marks.tickStart = cpuSeconds();
        GameControllerCampaign::tickContents(time, dt);
        marks.tickEnd = cpuSeconds();
    }
    void renderContents() override {
        marks.renderStart = cpuSeconds();
        GameControllerCampaign::renderContents();
    }
    void checkCollisions() override {
        marks.drawn = cpuSeconds();
        GameControllerCampaign::checkCollisions();
        marks.collided = cpuSeconds();
    }
    void updateRules() override {
        GameControllerCampaign::updateRules();
        marks.ruled = cpuSeconds();
    }
};

void BM_InvasionWaves(benchmark::State& state) {
    if (needsDisplay(state)) return;
    int waves = GameControllerCampaign::WAVE_COUNT;
    if (const char* limit = getenv("INVASION_BENCH_WAVES")) waves = std::max(1, std::min(waves, atoi(limit)));
    // INVASION_BENCH_KEEP_LOG: the event log grows all run, to show its share.
    const bool keepLog = getenv("INVASION_BENCH_KEEP_LOG") != nullptr;
    MatchSettings settings;
    settings.draw = true; // frames as the game draws them
    settings.frameRate = FRAME_PERIOD;
    MatchHarness run(settings);
    SaveData& saved = run.app->saveData;
    BenchSaves::solo(saved);
    auto* match = static_cast<GameControllerCampaign*>(run.start([] { return new TimedInvasion(); }));
    AimingCannon* bots[2];
    AimingCannon::install(match, bots);

    printf("invasion, 2 players with the aiming bot, palms kept standing, %.0f ms frames\n", FRAME_PERIOD * 1000.0);
    printf("wave enemies spike_ms rss_kb heap_kb free_kb log_kb cache_tex  peak objects per layer (0..13)  "
           "wall mean/p95  process mean/p95  main thread: tick mean/p95/max   draw mean/p95/max   collide "
           "mean/p95/max  rules mean/p95/max  secs\n");
    int heaviest = 0;
    FrameCost heaviestFrames;
    struct WaveStart {
        double spike = 0.0, started = -1.0;
        int built = 0;
        long rss = 0;
        size_t heap = 0, held = 0;
    } carried;
    // Memory at each wave's start, to set against wave 5's.
    const int MEMORY_FROM_WAVE = 5;
    struct Memory {
        long rss = 0;
        long heap = 0;
    } atWave5, last, most;
    for (auto _ : state) {
        for (int wave = 1; wave <= waves && run.matchOnTop(); ++wave) {
            Series tick, draw, collide, rules;
            FrameCost whole;
            std::array<int, GameController::LAYER_COUNT> peak = {};
            double spike = carried.spike, started = carried.started;
            int built = carried.built;
            long rss = carried.rss;
            size_t heap = carried.heap, held = carried.held;
            if (match->waveNumber != wave) started = -1.0;
            // The bytes of the event log's lines over the wave. Unless it is
            // kept they are counted and dropped after every frame, so that the
            // harness's lines are not left scattered through the heap.
            size_t logBytes = 0;
            auto takeLog = [&] {
                size_t bytes = 0;
                for (const std::string& line : run.log.lines) bytes += line.capacity() + sizeof(line);
                if (keepLog) {
                    logBytes = bytes;
                } else {
                    logBytes += bytes;
                    run.log.lines.clear();
                }
            };
            const int frames = int((8.0 + WAVE_LIMIT) / FRAME_PERIOD);
            for (int i = 0; i < frames && run.matchOnTop(); ++i) {
                PlayerData* data = match->playerData[0];
                for (int p = 0; p < data->numPalms; ++p)
                    if (GameObject* palm = data->palms[p].get()) palm->energy = 1.0e9f;
                const int before = match->waveNumber;
                const FrameStart start;
                run.step();
                const FrameStart end; // before the harness's log is dropped
                const double wallFrame = (end.wall - start.wall) * 1000.0;
                if (!keepLog) takeLog();
                if (match->waveNumber != before) {
                    // The frame that built the wave.
                    carried.spike = wallFrame;
                    carried.built = EnemySpawner::pendingIn(match->spawners);
                    carried.rss = residentKb();
                    carried.heap = heapInUse();
                    carried.held = mallinfo2().fordblks;
                    carried.started = match->time;
                    if (match->waveNumber != wave) break; // the next wave began
                    spike = carried.spike;
                    built = carried.built;
                    rss = carried.rss;
                    heap = carried.heap;
                    held = carried.held;
                    started = carried.started;
                    continue;
                }
                if (started < 0.0) continue;
                if (match->state == GameControllerCampaign::STATE_CONGRATULATIONS) break;
                whole.add(start, end);
                tick.add((marks.tickEnd - marks.tickStart) * 1000.0);
                draw.add((marks.drawn - marks.renderStart) * 1000.0);
                collide.add((marks.collided - marks.drawn) * 1000.0);
                rules.add((marks.ruled - marks.collided) * 1000.0);
                const auto live = run.liveLayers();
                for (int l = 0; l < GameController::LAYER_COUNT; ++l) peak[l] = std::max(peak[l], live[l]);
            }
            if (keepLog) takeLog();
            int cacheTextures = 0;
            for (FontQuad* font : {run.app->fontTiny, run.app->fontSmall, run.app->fontMedium, run.app->fontLarge,
                                   run.app->fontHUD})
                if (font) cacheTextures += int(font->cacheTextures->getNumChildren());
            printf("%4d %7d %8.2f %6ld %7zu %7zu %6zu %9d  ", wave, built, spike, rss, heap / 1024, held / 1024,
                   logBytes / 1024, cacheTextures);
            last = {rss, long(heap / 1024)};
            if (wave == MEMORY_FROM_WAVE) atWave5 = most = last;
            if (wave > MEMORY_FROM_WAVE) {
                most.rss = std::max(most.rss, last.rss);
                most.heap = std::max(most.heap, last.heap);
            }
            for (int l = 0; l < GameController::LAYER_COUNT; ++l) printf("%d%s", peak[l], l + 1 < GameController::LAYER_COUNT ? "," : "");
            printf("  %5.2f/%5.2f  %5.2f/%5.2f  %5.2f/%5.2f/%6.2f  %5.2f/%5.2f/%6.2f  %5.3f/%5.3f/%6.3f  "
                   "%5.3f/%5.3f/%6.3f  %5.1f\n",
                   whole.wall.mean(), whole.wall.p95(), whole.process.mean(), whole.process.p95(), tick.mean(),
                   tick.p95(), tick.max(), draw.mean(), draw.p95(), draw.max(), collide.mean(), collide.p95(),
                   collide.max(), rules.mean(), rules.p95(), rules.max(), started >= 0.0 ? match->time - started : 0.0);
            fflush(stdout);
            if (whole.frames() > 0 && (heaviest == 0 || whole.process.mean() > heaviestFrames.process.mean())) {
                heaviest = wave;
                heaviestFrames = whole;
            }
        }
    }
    if (waves > MEMORY_FROM_WAVE)
        printf("memory after wave %d (KB, at each wave's start): resident %+ld at the last wave, %+ld at most; heap "
               "in use %+ld at the last wave, %+ld at most\n",
               MEMORY_FROM_WAVE, last.rss - atWave5.rss, most.rss - atWave5.rss, last.heap - atWave5.heap,
               most.heap - atWave5.heap);
    const char* threads = getenv("LP_NUM_THREADS");
    printf("heaviest wave %d, drawn under Xvfb (LP_NUM_THREADS=%s):\n", heaviest, threads ? threads : "(unset)");
    heaviestFrames.print("  ", {FRAME_PERIOD * 1000.0});
    // The end scene after the last wave played, at graphics detail 1.
    if (run.matchOnTop()) match->endGame();
    run.step();
    auto* ending = dynamic_cast<ContextEnding*>(run.app->contextManager->getTop());
    if (ending) {
        FrameCost frame;
        int peakParticles = 0;
        double particles = 0.0;
        const int frames = int(END_SCENE_SECONDS / FRAME_PERIOD);
        for (int i = 0; i < frames; ++i) {
            const FrameStart start;
            run.step();
            frame.add(start);
            const int live = ParticleCount::live(ending);
            peakParticles = std::max(peakParticles, live);
            particles += live;
        }
        printf("end scene at detail %d over %.0f s: live flares mean %.0f, peak %d\n",
               run.app->saveData.graphicsDetail, END_SCENE_SECONDS, particles / frames, peakParticles);
        frame.print("  ", {FRAME_PERIOD * 1000.0});
        frame.count(state, "ending");
        state.counters["ending_peak_flares"] = peakParticles;
    }
    state.counters["heaviest_wave"] = heaviest;
    heaviestFrames.count(state, "heaviest");
}

} // namespace

BENCHMARK(BM_InvasionWaves)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
