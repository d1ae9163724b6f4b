// A free-for-all of 100 war days between two computer players on the match
// harness (under Xvfb): frequent bonuses (all kinds), autocannons, bloated
// projectiles, bouncy bombs, no blaster, graphics detail 1, 10 ms frames.
// Each simulated minute prints resident memory, the engine's live objects,
// the live objects of each layer, the cameras in the scene's blender, the
// rounds begun and each whole frame's wall time and the whole process's CPU
// (mean, 95th percentile, max; the software renderer's threads too).
// Targets: no resident growth after the first minute,
// flat object counts. Then the war is closed through its end scene and the
// free-for-all table, the controller is deleted, and the live objects are
// set against their count before the match (both with the fonts' caches of
// drawn text emptied). A battle ends after 60 s as a lost plane would end
// it, since two computer players can hold one for ever.
//
// Also the duel scenes: the same war's dogfights, drawn, until the sunset one
// has a minute of frames (the sunrise and noon battles met on the way are timed
// as well), with the wall time and the whole process's CPU (the renderer's
// threads too) of each frame against the 15 ms period (10 ms at 100 fps), the
// main thread's share of that CPU, and the window pixels each frame covers.
// The heaviest scene is named from these figures: the highest mean of the
// whole process's CPU per frame.
//
//   ai_soak_bench [--minutes N] [--headless] [benchmark flags]
//
// --minutes: simulated minutes of the soak (default 30); --headless: the soak
// runs the render pass without a graphics device (culling, collisions and
// rules, no drawing), as the engine does without a window.
#include "CappedWar.h"
#include "screens/ContextHighScores.h"
#include "app/ContextManager.h"
#include "LiveObjects.h"
#include "BenchSaves.h"
#include "MatchHarness.h"
#include "core/Plim.h"
#include "ContextBlender.h"
#include "CameraBlender.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerFFA.h"

#include "BenchStats.h"
#include "FrameCost.h"
#include "FrameFill.h"
#include "HeapCount.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace BenchStats;

namespace {

typedef CappedWar<GameControllerFFA> War;

const double FRAME_PERIOD = 0.01;
const double ROUND_LIMIT = 60.0;
const int WAR_DAYS = 100;
const double DUEL_SECONDS = 60.0; // sunset battle frames timed; the other rounds met meanwhile
const double SCENE_PERIOD_MS = 15.0, SCENE_PERIOD_FAST_MS = 10.0;

int soakMinutes = 30;
bool headless = false;

void prepare(SaveData& saved) {
    BenchSaves::soakWar(saved, WAR_DAYS);
}

MatchSettings settings() {
    MatchSettings chosen;
    chosen.draw = true; // frames as the game draws them
    chosen.frameRate = FRAME_PERIOD;
    chosen.graphicsDetail = 1;
    return chosen;
}

War* startWar(MatchHarness& run) {
    prepare(run.app->saveData);
    return static_cast<War*>(run.start([]() -> GameController* {
        War* war = new War(ROUND_LIMIT);
        war->computerPlayers = GameController::PLAYERS;
        return war;
    }));
}

// One frame; without drawing the render pass still culls, collides and
// runs the rules, as with no window.
void step(MatchHarness& run, bool draw) {
    if (draw) {
        run.step();
        return;
    }
    PlimGraphics* graphics = PLIM->graphics;
    PLIM->graphics = nullptr;
    run.step();
    PLIM->graphics = graphics;
}

int engineObjects() {
    int n = 0;
    for (BasicLink* l = PLIM->liveObjects.firstChild; l; l = l->next) ++n;
    return n;
}

int rounds(const GameControllerClassic& war) {
    return war.day > 0 ? (war.day - 1) * GameControllerClassic::ROUNDS_PER_DAY + war.round : 0;
}

Context* top(MatchHarness& run) { return run.app->contextManager->getTop(); }

// The end scene clicked through as a player does; true when the table it
// opens on its way out is on top.
bool clickThroughEnding(MatchHarness& run, bool draw) {
    for (int i = 0; i < 20000 && dynamic_cast<ContextEnding*>(top(run)); ++i) {
        if (i % 50 == 0) {
            run.scheduleMouseButton(run.frame, 1, true);
            run.scheduleMouseButton(run.frame + 2, 1, false);
        }
        step(run, draw);
    }
    return dynamic_cast<ContextHighScores*>(top(run)) != nullptr;
}

void BM_AiSoak(benchmark::State& state) {
    if (needsDisplay(state)) return;
    MatchHarness run(settings());
    const bool draw = !headless;
    LiveObjects::dropFontCaches();
    const std::map<std::string, int> before = LiveObjects::byClass();
    const int rawBefore = engineObjects();
    War* war = startWar(run);
    const int framesPerMinute = int(60.0 / FRAME_PERIOD + 0.5);
    const char* threads = getenv("LP_NUM_THREADS");
    printf("free-for-all of %d days, 2 computer players, frequent bonuses, autocannons, bloated projectiles, bouncy "
           "bombs, no blaster, detail 1, %.0f ms frames, %s, battles cut at %.0f s; LP_NUM_THREADS=%s\n",
           war->days, FRAME_PERIOD * 1000.0, draw ? "drawn" : "headless (no drawing)", ROUND_LIMIT,
           threads ? threads : "(unset)");
    printf("minute  rss_kb heap_kb  blocks  objects  per layer (0..13)                        cameras  day  rounds  "
           "cut  wall_ms mean/p95/max  process_cpu_ms mean/p95/max\n");
    printf("%6d %7ld %7zu %7ld %8d\n", 0, residentKb(), heapInUse() / 1024,
           HeapCount::allocations() - HeapCount::releases(), rawBefore);
    long firstRss = 0, lastRss = 0;
    for (auto _ : state) {
        for (int minute = 1; minute <= soakMinutes && run.matchOnTop(); ++minute) {
            FrameCost frames;
            // The harness's event log and its clock's record of sleeps grow with
            // every sound and frame: not the game's memory.
            run.log.lines.clear();
            std::vector<uint32_t>().swap(run.ticks.delays);
            for (int i = 0; i < framesPerMinute && run.matchOnTop(); ++i) {
                const FrameStart start;
                step(run, draw);
                frames.add(start);
            }
            const long rss = residentKb();
            if (minute == 1) firstRss = rss;
            lastRss = rss;
            printf("%6d %7ld %7zu %7ld %8d  ", minute, rss, heapInUse() / 1024,
                   HeapCount::allocations() - HeapCount::releases(), engineObjects());
            const auto layers = run.liveLayers();
            std::string perLayer;
            for (size_t l = 0; l < layers.size(); ++l) perLayer += (l ? "," : "") + std::to_string(layers[l]);
            printf("%-40s %7u %4d %7d %4d  %.2f/%.2f/%.2f  %.2f/%.2f/%.2f\n", perLayer.c_str(),
                   war->scene->getCameraBlender()->getNumChildren(), int(war->day), rounds(*war), war->roundsCut,
                   frames.wall.mean(), frames.wall.p95(), frames.wall.max(), frames.process.mean(),
                   frames.process.p95(), frames.process.max());
            fflush(stdout);
        }
    }
    const int played = rounds(*war);
    run.log.lines.clear();
    // The war ends now: the end scene, the table, and the war deleted under it.
    if (run.matchOnTop()) war->setState(GameControllerClassic::STATE_END, 0.0);
    step(run, draw);
    const bool table = clickThroughEnding(run, draw);
    if (ContextHighScores* page = dynamic_cast<ContextHighScores*>(top(run))) page->bDone = true;
    step(run, draw);
    step(run, draw);
    run.controller = nullptr;
    const int rawAfter = engineObjects();
    LiveObjects::dropFontCaches();
    const std::map<std::string, int> after = LiveObjects::byClass();
    int countBefore = 0, countAfter = 0;
    for (const auto& e : before) countBefore += e.second;
    for (const auto& e : after) countAfter += e.second;
    printf("closed through the end scene%s; screens left %u\n", table ? " and the free-for-all table" : " (no table!)",
           run.app->contextManager->getNumChildren());
    printf("live objects: before the match %d, after the war was deleted %d (raw %d -> %d, font caches kept)\n",
           countBefore, countAfter, rawBefore, rawAfter);
    std::map<std::string, int> classes = before;
    for (const auto& e : after) classes[e.first] += 0;
    for (const auto& e : classes) {
        const auto found = after.find(e.first);
        const int now = found == after.end() ? 0 : found->second;
        const auto was = before.find(e.first);
        const int then = was == before.end() ? 0 : was->second;
        if (now != then) printf("  %s: %d -> %d\n", e.first.c_str(), then, now);
    }
    printf("resident memory: %ld KB after the first minute, %ld KB after the last (%+ld KB)\n", firstRss, lastRss,
           lastRss - firstRss);
    state.counters["rounds"] = played;
    state.counters["rss_growth_kb"] = double(lastRss - firstRss);
    state.counters["objects_left"] = countAfter - countBefore;
}

void BM_HeaviestDuelScene(benchmark::State& state) {
    if (needsDisplay(state)) return;
    MatchHarness run(settings());
    War* war = startWar(run);
    // Battle frames by round, until the sunset dogfight has DUEL_SECONDS of
    // them; sunrise and noon, with the autocannon on the island, are timed on
    // the way. The heaviest is the one whose whole process costs the most.
    const int rounds = GameControllerClassic::ROUNDS_PER_DAY + 1;
    FrameCost frames[rounds];
    Series mainThread[rounds], pixels[rounds];
    int mostObjects[rounds] = {};
    const FrameCost& sunset = frames[GameControllerClassic::ROUND_SUNSET];
    for (auto _ : state) {
        while (run.matchOnTop() && double(sunset.frames()) * FRAME_PERIOD < DUEL_SECONDS) {
            const int round = war->state == GameControllerClassic::STATE_BATTLE ? int(war->round) : 0;
            FrameFill::startFrame();
            const double threadStart = cpuSeconds();
            const FrameStart start;
            step(run, true);
            if (round <= 0 || round > GameControllerClassic::ROUNDS_PER_DAY) continue;
            // The pixel counting's own time is left out.
            const double counting = FrameFill::countingMs();
            frames[round].add(start, counting);
            mainThread[round].add((cpuSeconds() - threadStart) * 1000.0 - counting);
            pixels[round].add(FrameFill::pixels());
            int live = 0;
            for (int count : run.liveLayers()) live += count;
            mostObjects[round] = std::max(mostObjects[round], live);
        }
    }
    int heaviest = GameControllerClassic::ROUND_SUNSET;
    for (int round = GameControllerClassic::ROUND_SUNRISE; round <= GameControllerClassic::ROUNDS_PER_DAY; ++round)
        if (frames[round].frames() > 0 && frames[round].process.mean() > frames[heaviest].process.mean())
            heaviest = round;
    printf("heaviest duel scene: the %s dogfight by the whole process's CPU per frame, mean %.2f ms (autocannons, "
           "bloated projectiles, frequent bonuses, detail 1, drawn under Xvfb), 2 computer players: up to %d live "
           "objects\n",
           GameControllerClassic::roundNames[heaviest], frames[heaviest].process.mean(), mostObjects[heaviest]);
    for (int round = GameControllerClassic::ROUND_SUNSET; round >= GameControllerClassic::ROUND_SUNRISE; --round) {
        printf("  %s:\n", GameControllerClassic::roundNames[round]);
        frames[round].print("    ", {SCENE_PERIOD_MS, SCENE_PERIOD_FAST_MS});
        const Series& m = mainThread[round];
        printf("    the main thread's CPU per frame (ms) mean %.2f, p95 %.2f, max %.2f\n", m.mean(), m.p95(), m.max());
        FrameFill::print("    ", frames[round].process, pixels[round], SCENE_PERIOD_MS);
    }
    FrameFill::stop();
    state.counters["heaviest_round"] = heaviest;
    frames[heaviest].count(state, "frame");
    state.counters["main_thread_mean_ms"] = mainThread[heaviest].mean();
}

} // namespace

BENCHMARK(BM_HeaviestDuelScene)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK(BM_AiSoak)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (!strcmp(argv[i], "--headless")) {
            headless = true;
        } else if (!strcmp(argv[i], "--minutes") && i + 1 < argc && atoi(argv[i + 1]) > 0) {
            soakMinutes = atoi(argv[++i]);
        } else if (!strcmp(argv[i], "--minutes")) {
            fprintf(stderr, "ai_soak_bench: --minutes needs a whole number above 0\n");
            return 2;
        } else {
            rest.push_back(argv[i]);
        }
    }
    int count = int(rest.size());
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data())) return 2;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
