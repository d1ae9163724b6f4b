// The heaviest invasion scenes, drawn at graphics detail 1 on the match
// harness (under Xvfb) with 10 ms frames and no pacing: waves 10 and 11 with
// the first zeppelin (the aiming bot at both cannons, palms kept standing),
// split into the zeppelin's burn and final blast (from its last turret's loss
// until 3 s after it is gone) and the rest of the waves, then the end scene
// that follows with its salvos of fireworks. Per scene: the whole process's CPU
// per frame (the software renderer's threads too: LP_NUM_THREADS) as mean,
// p95, p99 and max against the 15 ms period, the same of its wall time (the
// harness waits for each frame's pixels), and the window pixels the
// triangles cover per frame (mean, and over the frames beyond 15 ms) with the
// CPU per covered pixel: the software renderer's fill bounds these scenes.
// The counting's own time is left out of the frames. HEAVY_SCENES_SECONDS caps
// each scene; HEAVY_SCENES_UNTRIMMED=1 draws every quad over its whole
// rectangle (the drawing before quads were trimmed to their pictures).
#include "AimingCannon.h"
#include "BenchSaves.h"
#include "BenchStats.h"
#include "FrameCost.h"
#include "app/ContextManager.h"
#include "render/DrawBatch.h"
#include "FrameFill.h"
#include "MatchHarness.h"
#include "render/Quad.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerCampaign.h"
#include "modes/PlayerData.h"
#include "world/enemies/Zeppelin.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace BenchStats;

namespace {

const double FRAME_PERIOD = 0.01;
const double AFTER_BLAST = 3.0;
const double PERIOD_MS = 15.0;

double sceneSeconds(double full) {
    const char* limit = getenv("HEAVY_SCENES_SECONDS");
    return limit ? std::max(1.0, std::min(full, atof(limit))) : full;
}

void keepPalms(GameController* match) {
    for (int p = 0; p < 2; ++p)
        if (PlayerData* data = match->playerData[p])
            for (int i = 0; i < data->numPalms; ++i)
                if (GameObject* palm = data->palms[i].get()) palm->energy = 1.0e9f;
}

// The live zeppelin of the match, or null.
Zeppelin* zeppelinOf(GameController* match) {
    for (BasicLink* l = match->layer(GameController::LAYER_ENEMIES)->firstChild; l; l = l->next)
        if (auto* z = dynamic_cast<Zeppelin*>(l))
            if (!z->bDestroyPending) return z;
    return nullptr;
}

// Per frame of a scene: whole process CPU and wall time (ms) and covered
// pixels; the draws cut into scissor bands, and the bands, over the scene.
struct Scene {
    FrameCost frames;
    Series pixels;
    int64_t bandedDraws = 0, bands = 0;
};

void print(const char* name, const Scene& s) {
    const char* threads = getenv("LP_NUM_THREADS");
    printf("%-32s %6d frames (LP_NUM_THREADS=%s)\n", name, s.frames.frames(), threads ? threads : "(unset)");
    s.frames.print("    ", {PERIOD_MS});
    FrameFill::print("    ", s.frames.process, s.pixels, PERIOD_MS);
    const double frames = double(std::max(1, s.frames.frames()));
    printf("    draws cut into scissor bands per frame %.1f, bands per frame %.1f\n", double(s.bandedDraws) / frames,
           double(s.bands) / frames);
    fflush(stdout);
}

// One frame of the scene, its CPU (less the pixel counting) and covered pixels added.
void timedStep(MatchHarness& run, Scene& into) {
    FrameFill::startFrame();
    const int64_t bandedBefore = DrawBatch::bandedDraws, bandsBefore = DrawBatch::bands;
    const FrameStart start;
    run.step();
    into.frames.add(start, FrameFill::countingMs());
    into.pixels.add(FrameFill::pixels());
    into.bandedDraws += DrawBatch::bandedDraws - bandedBefore;
    into.bands += DrawBatch::bands - bandsBefore;
}

void BM_ZeppelinBlastAndEndScene(benchmark::State& state) {
    if (needsDisplay(state)) return;
    const char* untrimmed = getenv("HEAVY_SCENES_UNTRIMMED");
    Quad::trimming = !(untrimmed && atoi(untrimmed) != 0);
    if (Quad::trimming)
        printf("quads trimmed to their pictures (a scissor band pays from %.0f pixels left out)\n", DrawBatch::bandCost);
    else
        printf("quads drawn whole\n");
    for (auto _ : state) {
        MatchSettings settings;
        settings.draw = true;
        settings.frameRate = FRAME_PERIOD;
        settings.graphicsDetail = 1;
        MatchHarness run(settings);
        BenchSaves::solo(run.app->saveData);
        auto* match = static_cast<GameControllerCampaign*>(run.start([] { return new GameControllerCampaign(); }));
        AimingCannon* bots[2];
        AimingCannon::install(match, bots);
        match->waveNumber = 9; // the next is the first zeppelin's wave
        Scene waves, blast;
        double blastEnds = -1.0;
        const int most = int(sceneSeconds(180.0) / FRAME_PERIOD);
        for (int i = 0; i < most && run.matchOnTop() && match->waveNumber <= 11; ++i) {
            keepPalms(match);
            Zeppelin* z = zeppelinOf(match);
            const bool burning = z && z->turretsLeft == 0;
            if (burning) blastEnds = match->time + AFTER_BLAST;
            const bool inBlast = burning || (blastEnds >= 0.0 && match->time < blastEnds);
            timedStep(run, inBlast ? blast : waves);
        }
        print("invasion waves 10-11 (zeppelin)", waves);
        print("zeppelin burn and final blast", blast);
        if (run.matchOnTop()) match->endGame();
        run.step();
        Scene salvos;
        const int endFrames = int(sceneSeconds(40.0) / FRAME_PERIOD);
        for (int i = 0; i < endFrames && dynamic_cast<ContextEnding*>(run.app->contextManager->getTop()); ++i)
            timedStep(run, salvos);
        print("end scene with salvos", salvos);
        FrameFill::stop();
        state.counters["blast_p99_ms"] = blast.frames.process.p99();
        state.counters["salvos_p99_ms"] = salvos.frames.process.p99();
    }
}
BENCHMARK(BM_ZeppelinBlastAndEndScene)->Iterations(1)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);

} // namespace

BENCHMARK_MAIN();
