// Frame pacing of the real engine in a window (run under Xvfb): 1,000 empty
// frames over an empty root context. Prints the mean and 95th-percentile frame
// period against the configured frameRate, and the CPU time per frame (the
// frame wait sleeps, so it should stay well below the period).
#include "Context.h"
#include "Plim.h"
#include "PlimUtil.h"

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const int FRAMES = 1000;

void writeFile(const std::string& path, const char* text) {
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fputs(text, f);
        fclose(f);
    }
}

double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

void BM_EmptyFramePacing(benchmark::State& state) {
    char pattern[] = "/tmp/plimbench.XXXXXX";
    std::string folder = mkdtemp(pattern);
    setenv("U3_APP_DATA_PATH", (folder + "/data").c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (chdir(folder.c_str()) != 0) {
        state.SkipWithError("cannot enter the temporary folder");
        return;
    }
    writeFile("Corvana2demo.cfg.static", "[Language]\nbMultilanguage=Yes\nsingleLanguage=0\n[Edition]\nbHoliday=No\n"
                                         "[Graphics]\nditherDepth=0\n[Input]\nhardwareMouseScaling=1.0\n");
    writeFile(std::string(getUserDataFolder(true).c_str()) + "Corvana2demo.cfg",
              "[PlimGraphics]\nbFullScreen=No\n[PlimInput]\nbTrackJoystick=No\nbTrackMouse=No\n");

    new Plim();
    Context* root = new Context();
    double frameRate = PLIM->frameTimer.period;
    std::vector<double> periods;
    double cpu = 0.0;
    for (auto _ : state) {
        periods.clear();
        double cpuStart = cpuSeconds();
        auto last = std::chrono::steady_clock::now();
        for (int i = 0; i < FRAMES; ++i) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) PLIM->sdlOnEvent(&event);
            PLIM->frame(root);
            auto now = std::chrono::steady_clock::now();
            periods.push_back(std::chrono::duration<double>(now - last).count());
            last = now;
        }
        cpu = cpuSeconds() - cpuStart;
    }
    delete root;
    delete PLIM;
    PLIM = nullptr;
    std::string command = "rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0) perror("rm");

    double sum = 0.0;
    for (double p : periods) sum += p;
    std::vector<double> sorted = periods;
    std::sort(sorted.begin(), sorted.end());
    state.counters["frameRate_ms"] = frameRate * 1000.0;
    state.counters["mean_period_ms"] = sum / periods.size() * 1000.0;
    state.counters["p95_period_ms"] = sorted[sorted.size() * 95 / 100] * 1000.0;
    state.counters["cpu_per_frame_ms"] = cpu / periods.size() * 1000.0;
}

} // namespace

BENCHMARK(BM_EmptyFramePacing)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
