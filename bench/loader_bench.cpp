// The resource loader in the real program's conditions (run under Xvfb): the
// whole engine with the game's data archive, the loading screen running one
// step per frame at the saved frame rate. Prints the time of every loader
// step, the total load time against steps x frame period, the frames that took
// more than twice the frame period, and the peak memory once everything is
// loaded, the resident part split into decoded pictures kept in memory, GL
// textures, decoded sounds and the rest.
#include "app/ContextManager.h"
#include "EngineTestFolder.h"
#include "app/Global.h"
#include "app/Loader.h"
#include "render/MemoryImageFile.h"
#include "audio/MixerOGG.h"
#include "core/ObjectLink.h"
#include "core/Plim.h"
#include "audio/SoundStream.h"
#include "render/Texture.h"

#include "BenchStats.h"
#include "BuildFolder.h"

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The loading screen with a stopwatch around each frame's step.
class TimedLoader : public Loader {
public:
    void tickContents(double time, double dt) override {
        Clock::time_point start = Clock::now();
        Loader::tickContents(time, dt);
        stepTimes.push_back({Loader::stepsDone, seconds(Clock::now() - start)});
    }
    std::vector<std::pair<int, double>> stepTimes;
};

class BenchGlobal : public Global {
public:
    void pushFirstContexts() override {}
};

// Resident and peak resident memory of the process, in KiB; the resident
// pages of mapped files and the anonymous ones.
void memory(long& current, long& peak, long* fileBacked = nullptr, long* anonymous = nullptr) {
    current = peak = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, 6, "VmRSS:") == 0) current = atol(line.c_str() + 6);
        if (line.compare(0, 6, "VmHWM:") == 0) peak = atol(line.c_str() + 6);
        if (fileBacked && line.compare(0, 8, "RssFile:") == 0) *fileBacked = atol(line.c_str() + 8);
        if (anonymous && line.compare(0, 8, "RssAnon:") == 0) *anonymous = atol(line.c_str() + 8);
    }
}

// Bytes held by the live engine objects, by kind.
struct Holdings {
    double pictures = 0;  // decoded images in memory
    double glTextures = 0; // texture storage (Mesa keeps it in the process)
    double sounds = 0;    // decoded effects, compressed music held for streaming
    int pictureCount = 0, textureCount = 0, soundCount = 0;
};

Holdings holdings() {
    Holdings h;
    for (BasicLink* link = PLIM->liveObjects.firstChild; link; link = link->next) {
        PlimBase* object = static_cast<ObjectLink*>(link)->object;
        if (auto* image = dynamic_cast<MemoryImageFile*>(object)) {
            h.pictures += 4.0 * image->width * image->height + image->size;
            ++h.pictureCount;
        } else if (auto* texture = dynamic_cast<Texture*>(object)) {
            if (texture->glTexHandle) {
                h.glTextures += 4.0 * texture->realWidth * texture->realHeight;
                ++h.textureCount;
            }
        } else if (auto* source = dynamic_cast<MixerOGG*>(object)) {
            h.sounds += 2.0 * source->sampleCapacity * source->sampleChannels;
            ++h.soundCount;
        } else if (auto* stream = dynamic_cast<SoundStream*>(object)) {
            h.sounds += stream->file.size;
        }
    }
    return h;
}

// The build's archive and static settings (next to this program's folder)
// linked into the engine folder, and a windowed user settings file.
bool prepareFolder(const EngineTestFolder& folder) {
    const std::string build = buildFolder();
    if (build.empty()) return false;
    for (const char* name : {"Corvana2demo.dat", "Corvana2demo.cfg.static"})
        if (symlink((build + "/" + name).c_str(), (folder.root + "/" + name).c_str()) != 0) return false;
    folder.writeUserSettings("bTrackMouse=No\n");
    return access("Corvana2demo.dat", R_OK) == 0;
}

void BM_LoadEverything(benchmark::State& state) {
    if (!getenv("DISPLAY")) {
        state.SkipWithError("needs an X server (xvfb-run)");
        return;
    }
    EngineTestFolder folder;
    if (!prepareFolder(folder)) {
        state.SkipWithError("cannot find the build's Corvana2demo.dat next to bench/");
        return;
    }
    for (auto _ : state) {
        new Plim();
        gGlobal = new BenchGlobal();
        gGlobal->initPreLoader();
        ContextManager* stack = gGlobal->contextManager;
        // The same screen with a stopwatch in place of the plain one.
        Context* plain = stack->getTop();
        stack->removeChild(plain);
        plain->deleteMe();
        TimedLoader* loader = new TimedLoader();
        stack->push(loader);
        const int total = loader->total;

        // Each frame's length and the frame period it waited for: the
        // engine's own until the settings step sets the saved rate.
        std::vector<double> frames, periods;
        Clock::time_point start = Clock::now(), last = start;
        while (Loader::stepsDone < total) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) PLIM->sdlOnEvent(&event);
            PLIM->frame(stack);
            Clock::time_point now = Clock::now();
            frames.push_back(seconds(now - last));
            periods.push_back(PLIM->frameTimer.period);
            last = now;
        }
        double loadTime = seconds(last - start);
        long rss = 0, peak = 0, fileBacked = 0, anonymous = 0;
        memory(rss, peak, &fileBacked, &anonymous);

        printf("\nLoader steps (%d), time of each step's work:\n", total);
        for (const auto& s : loader->stepTimes) printf("  step %3d  %8.3f ms\n", s.first, 1000.0 * s.second);
        int slow = 0;
        double ideal = 0.0;
        for (size_t i = 0; i < frames.size(); ++i) {
            ideal += periods[i];
            if (frames[i] > 2.0 * periods[i]) ++slow;
        }
        double work = 0.0;
        for (const auto& s : loader->stepTimes) work += s.second;
        printf("Total load time %.3f s over %zu frames; steps x frame period = %.3f s (period %.4f s, then %.4f s)\n",
               loadTime, frames.size(), ideal, periods.front(), periods.back());
        printf("Loader work %.3f s; frames longer than twice their period: %d\n", work, slow);
        printf("Memory after loading: resident %ld KiB, peak %ld KiB\n", rss, peak);
        const Holdings h = holdings();
        const double rest = rss - (h.pictures + h.glTextures + h.sounds) / 1024;
        printf("  decoded pictures kept: %8.0f KiB (%d images)\n", h.pictures / 1024, h.pictureCount);
        printf("  GL textures:           %8.0f KiB (%d textures)\n", h.glTextures / 1024, h.textureCount);
        printf("  decoded sounds:        %8.0f KiB (%d sources, music as compressed bytes)\n", h.sounds / 1024,
               h.soundCount);
        printf("  the rest:              %8.0f KiB (code, libraries, the rest of the heap)\n", rest);
        printf("  all resident pages:    %8ld KiB of mapped files (code and libraries: Mesa's LLVM the largest)\n"
               "                       + %8ld KiB anonymous (the heap with the pictures, textures and sounds above)\n",
               fileBacked, anonymous);
        printf("  resident %.1f MB against the target of 100 MB: %s\n", rss / 1024.0,
               rss <= 100 * 1024 ? "met" : "MISSED");

        state.counters["steps"] = total;
        state.counters["load_s"] = loadTime;
        state.counters["ideal_s"] = ideal;
        state.counters["slow_frames"] = slow;
        state.counters["peak_KiB"] = double(peak);
        state.counters["rss_KiB"] = double(rss);

        SDL_PauseAudio(1);
        delete gGlobal;
        gGlobal = nullptr;
        delete PLIM;
        PLIM = nullptr;
    }
}
BENCHMARK(BM_LoadEverything)->Iterations(1)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);

} // namespace

BENCHMARK_MAIN();
