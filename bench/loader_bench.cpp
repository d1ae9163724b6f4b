// The resource loader in the real program's conditions (run under Xvfb): the
// whole engine with the game's data archive, the loading screen running one
// step per frame at the saved frame rate. Prints the time of every loader
// step, the total load time against steps x frame period, the frames that took
// more than twice the frame period, and the peak memory once everything is
// loaded.
#include "ContextManager.h"
#include "EngineTestFolder.h"
#include "Global.h"
#include "Loader.h"
#include "Plim.h"

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

// Resident and peak resident memory of the process, in KiB.
void memory(long& current, long& peak) {
    current = peak = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, 6, "VmRSS:") == 0) current = atol(line.c_str() + 6);
        if (line.compare(0, 6, "VmHWM:") == 0) peak = atol(line.c_str() + 6);
    }
}

// The build's archive and static settings (next to this program's folder)
// linked into the engine folder, and a windowed user settings file.
bool prepareFolder(const EngineTestFolder& folder) {
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return false;
    std::string build(exe, size_t(n));
    build = build.substr(0, build.rfind('/'));
    build = build.substr(0, build.rfind('/'));
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
        long rss = 0, peak = 0;
        memory(rss, peak);

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

        state.counters["steps"] = total;
        state.counters["load_s"] = loadTime;
        state.counters["ideal_s"] = ideal;
        state.counters["slow_frames"] = slow;
        state.counters["peak_KiB"] = double(peak);

        SDL_PauseAudio(1);
        delete gGlobal;
        gGlobal = nullptr;
        delete PLIM;
        PLIM = nullptr;
    }
}
BENCHMARK(BM_LoadEverything)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
