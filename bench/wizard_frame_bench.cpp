// The network wizard's page while its connection test hangs on a silent web
// service (through http_proxy): the main thread's time per frame (mean, p95)
// and its CPU per frame, against the 15 ms a frame may take. Needs an X
// server (Xvfb) for the menu world's window.
#include "app/ContextManager.h"
#include "screens/ContextNetworkWizard1.h"
#include "widgets/MenuButton.h"
#include "MenuTestWorld.h"
#include "online/HttpFormPost.h"

#include "WebService.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double threadCpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void BM_WizardFrameWhilePostHangs(benchmark::State& state) {
    if (!getenv("DISPLAY")) {
        state.SkipWithError("needs an X server (xvfb-run)");
        return;
    }
    WebService silent("silence");
    setenv("http_proxy", silent.proxyUrl().c_str(), 1);
    std::vector<double> periods;
    double cpu = 0.0;
    {
        MenuTestWorld world;
        world.createSharedContexts();
        world.global->saveData.bFullScreenOption = 0;
        ContextNetworkWizard1* wizard = new ContextNetworkWizard1();
        world.global->contextManager->push(wizard);
        world.frame(0.0);
        world.click(wizard->nextButton->position.x, wizard->nextButton->position.y);
        if (!wizard->post || wizard->post->status.load() != HttpFormPost::BUSY) state.SkipWithError("the test did not start");
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = threadCpuMs();
            world.frame(0.02);
            cpu += threadCpuMs() - cpuStart;
            periods.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    unsetenv("http_proxy");
    if (periods.empty()) return;
    std::vector<double> sorted = periods;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0.0;
    for (double p : periods) sum += p;
    state.counters["mean_ms"] = sum / double(periods.size());
    state.counters["p95_ms"] = sorted[size_t(double(sorted.size() - 1) * 0.95)];
    state.counters["cpu_ms"] = cpu / double(periods.size());
    state.counters["budget_ms"] = 15.0;
}
BENCHMARK(BM_WizardFrameWhilePostHangs)->Iterations(300)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
