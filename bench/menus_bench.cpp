// The high-score table and the options screens on the menu test world (run
// under Xvfb, software OpenGL, generated pictures): each screen's frames'
// wall time and the whole process's CPU (the software renderer's threads too)
// against the 15 ms frame period, one applySettings as a volume click makes
// it (windowed and full screen), and the resident memory and heap in
// use while every page is opened and closed 200 times (MENUS_BENCH_ROUNDS):
// both level off within the first rounds, so from round 10 to the end each
// grows by well under 1 MB.
#include "screens/ContextHighScores.h"
#include "app/ContextManager.h"
#include "screens/ContextOptions.h"
#include "screens/ContextOptionsControls.h"
#include "screens/ContextOptionsControls2.h"
#include "screens/ContextOptionsGameplay.h"
#include "screens/ContextOptionsGraphics.h"
#include "screens/ContextOptionsSound.h"
#include "MenuTestWorld.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "BenchStats.h"
#include "FrameCost.h"

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

const double PERIOD = 0.015;
const int FRAMES = 300;
const int ROUNDS = getenv("MENUS_BENCH_ROUNDS") ? atoi(getenv("MENUS_BENCH_ROUNDS")) : 200;

MenuTestWorld* makeWorld(const std::string& settings = std::string()) {
    MenuTestWorld* world = new MenuTestWorld(settings);
    world->createSharedContexts();
    world->moveAway();
    world->global->saveData.resetHighScores();
    world->global->saveData.bFullScreenOption = PLIM->graphics->bFullScreen ? 1 : 0;
    return world;
}

const std::function<Context*()> SCREENS[] = {
    [] { return new ContextHighScores(ContextHighScores::ALL_TABLES); },
    [] { return new ContextOptions(); },
    [] { return new ContextOptionsGameplay(); },
    [] { return new ContextOptionsControls(); },
    [] { return new ContextOptionsControls2(); },
    [] { return new ContextOptionsGraphics(); },
    [] { return new ContextOptionsSound(); },
};
const char* const NAMES[] = {"HighScores", "Options", "Gameplay", "Controls", "Controls2", "Graphics", "Sound"};

void BM_ScreenFrame(benchmark::State& state) {
    MenuTestWorld* world = makeWorld();
    Context* screen = SCREENS[state.range(0)]();
    world->global->contextManager->push(screen);
    world->frame(0.0);
    FrameCost frames;
    for (auto _ : state) {
        for (int i = 0; i < FRAMES; i++) {
            const FrameStart start;
            world->frame(PERIOD);
            frames.add(start);
        }
    }
    delete world;
    state.SetLabel(NAMES[state.range(0)]);
    frames.count(state, "frame");
    state.counters["frames_over_wall"] = frames.wallOver(PERIOD * 1000.0);
    state.counters["frames_over_cpu"] = frames.processOver(PERIOD * 1000.0);
}
BENCHMARK(BM_ScreenFrame)->DenseRange(0, 6)->Iterations(1)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);

void BM_ApplySettingsFromAVolumeClick(benchmark::State& state) {
    const bool full = state.range(0) != 0;
    MenuTestWorld* world = makeWorld();
    if (full) {
        // As the start-up would: the display's nearest full-screen mode.
        PLIM->graphics->changePresentationParameters(640, 480, true, true, true);
        PLIM->graphics->restorePresentation();
        PLIM->bRestartPresentation = false;
        world->global->saveData.bFullScreenOption = 1;
    }
    const bool fullScreen = PLIM->graphics->bFullScreen;
    for (auto _ : state) world->global->applySettings();
    const bool restart = PLIM->bRestartPresentation;
    delete world;
    state.SetLabel(fullScreen ? "full screen" : "windowed");
    state.counters["restart_asked"] = restart ? 1 : 0;
}
BENCHMARK(BM_ApplySettingsFromAVolumeClick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)
    ->Apply(BenchStats::wallAndProcessCpu);

void BM_OpenAndCloseEveryPage(benchmark::State& state) {
    MenuTestWorld* world = makeWorld();
    long before = 0, half = 0, after = 0;
    double heapBefore = 0.0, heapAfter = 0.0;
    for (auto _ : state) {
        for (int round = 0; round < ROUNDS; round++) {
            if (round == 10) {
                before = BenchStats::residentKb();
                heapBefore = double(BenchStats::heapInUse());
            }
            if (round == ROUNDS / 2) half = BenchStats::residentKb();
            for (const auto& make : SCREENS) {
                Context* screen = make();
                world->global->contextManager->push(screen);
                world->frame(0.0);
                screen->bDone = true;
                world->frame(PERIOD);
            }
        }
        after = BenchStats::residentKb();
        heapAfter = double(BenchStats::heapInUse());
    }
    delete world;
    state.counters["rss_round10_KiB"] = double(before);
    state.counters["rss_half_KiB"] = double(half);
    state.counters["rss_end_KiB"] = double(after);
    state.counters["rss_growth_KiB"] = double(after - before);
    state.counters["heap_growth_KiB"] = (heapAfter - heapBefore) / 1024.0;
}
BENCHMARK(BM_OpenAndCloseEveryPage)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);

} // namespace

BENCHMARK_MAIN();
