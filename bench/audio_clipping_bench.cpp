// Samples at full scale in the heaviest scenes, mixed through SDL's disk audio
// driver at the game's default volumes with the in-game music on. The driver
// writes one buffer per buffer's length and the match is paced to the wall
// clock, so sounds overlap as they would in the game. Scenes: invasion waves 10 and 11
// with its zeppelin (the aiming bot at both cannons, palms kept standing), the
// end scene that follows with its salvos, and the noon battle of a classic war
// between computer players. Per scene: samples, those at full scale, their
// share, the worst 20-s window and the mean of the samples (the DC offset, as a
// fraction of full scale). AUDIO_CLIPPING_SECONDS shortens the scenes;
// AUDIO_CLIPPING_VOICES lists the live voices every second.
#include "AimingCannon.h"
#include "BenchStats.h"
#include "app/ContextManager.h"
#include "DiskAudio.h"
#include "BenchSaves.h"
#include "MatchHarness.h"
#include "audio/Mixer.h"
#include "audio/MixerChannel.h"
#include "audio/MixerOGG.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "WarScenario.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerCampaign.h"
#include "modes/PlayerData.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>

using namespace BenchStats;

namespace {

const double FRAME_PERIOD = 0.01;

double sceneSeconds(double full) {
    const char* limit = getenv("AUDIO_CLIPPING_SECONDS");
    return limit ? std::max(1.0, std::min(full, atof(limit))) : full;
}

void printVoices(double at) {
    std::map<std::string, int> voices;
    for (BasicLink* l = PLIM->audio->mixer->firstChild; l; l = l->next) {
        MixerChannel* ch = static_cast<MixerChannel*>(l);
        if (ch->isLive()) ++voices[ch->source->name.c_str()];
    }
    printf("  %5.1f s:", at);
    for (auto& [name, n] : voices) printf(" %s %d", name.c_str(), n);
    printf("\n");
}

MatchSettings pacedDiskAudio() {
    MatchSettings settings;
    settings.frameRate = FRAME_PERIOD;
    settings.audioDriver = "disk";
    settings.diskAudioDelayMs = DiskAudio::REAL_TIME_DELAY_MS;
    return settings;
}

// The scene in real time; then its clipping.
void measure(MatchHarness& run, const char* scene, double seconds, const std::function<bool()>& going) {
    const double start = wallSeconds();
    int calls = 0, frames = 0;
    const DiskAudio::Clipping c = DiskAudio::pacedByTheOutput(
        run, seconds,
        [&] {
            if (getenv("AUDIO_CLIPPING_VOICES") && calls % 100 == 0) printVoices(calls * FRAME_PERIOD);
            ++calls;
            return going();
        },
        &frames);
    const SDL_AudioSpec& spec = PLIM->audio->mixer->spec;
    const long perSecond = long(spec.freq) * spec.channels;
    printf("%-32s %7.1f s match %7.1f s audio %7.1f s wall %10ld samples %8ld at full scale %8.4f%%  worst 20-s "
           "window %7.4f%%  mean %+.5f\n",
           scene, frames * FRAME_PERIOD, double(c.samples) / perSecond, wallSeconds() - start, c.samples,
           c.clipped, 100.0 * c.share(), 100.0 * c.worstWindow, c.mean);
    fflush(stdout);
}

void keepPalms(GameController* match) {
    for (int p = 0; p < 2; ++p)
        if (PlayerData* data = match->playerData[p])
            for (int i = 0; i < data->numPalms; ++i)
                if (GameObject* palm = data->palms[i].get()) palm->energy = 1.0e9f;
}

void BM_InvasionZeppelinAndEndScene(benchmark::State& state) {
    if (needsDisplay(state)) return;
    for (auto _ : state) {
        MatchHarness run(pacedDiskAudio());
        SaveData& saved = run.app->saveData;
        BenchSaves::solo(saved);
        saved.bInGameMusic = 1;
        auto* match = static_cast<GameControllerCampaign*>(run.start([] { return new GameControllerCampaign(); }));
        AimingCannon* bots[2];
        AimingCannon::install(match, bots);
        match->waveNumber = 9; // the next is the first zeppelin's wave
        measure(run, "invasion waves 10-11 (zeppelin)", sceneSeconds(90.0), [&] {
            keepPalms(match);
            return run.matchOnTop() && match->waveNumber <= 11;
        });
        if (run.matchOnTop()) match->endGame();
        run.step();
        if (dynamic_cast<ContextEnding*>(run.app->contextManager->getTop()))
            measure(run, "end scene with salvos", sceneSeconds(40.0),
                    [&] { return dynamic_cast<ContextEnding*>(run.app->contextManager->getTop()) != nullptr; });
    }
}
BENCHMARK(BM_InvasionZeppelinAndEndScene)->Iterations(1)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);

void BM_NoonBattle(benchmark::State& state) {
    if (needsDisplay(state)) return;
    for (auto _ : state) {
        MatchHarness run(pacedDiskAudio());
        run.app->saveData.bInGameMusic = 1;
        WarScenario::Match* war = WarScenario::start(run, 1);
        // The morning runs unpaced; its sounds die away before noon is measured.
        for (int i = 0; i < int(WarScenario::DAY_SECONDS_MAX / FRAME_PERIOD) && run.matchOnTop() &&
                        war->round < GameControllerClassic::ROUND_NOON;
             ++i)
            run.step();
        usleep(3000000);
        measure(run, "classic war, noon battle", sceneSeconds(WarScenario::ROUND_SECONDS_MAX + 5.0),
                [&] { return run.matchOnTop() && war->round == GameControllerClassic::ROUND_NOON; });
    }
}
BENCHMARK(BM_NoonBattle)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);

} // namespace

BENCHMARK_MAIN();
