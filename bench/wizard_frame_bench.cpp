// The network wizard's page while its connection test hangs on a silent web
// service (through http_proxy): each frame's wall time (mean, p95) and the
// whole process's CPU per frame, against the 15 ms a frame may take. Needs an
// X server (Xvfb) for the menu world's window.
#include "app/ContextManager.h"
#include "screens/ContextNetworkWizard1.h"
#include "widgets/MenuButton.h"
#include "MenuTestWorld.h"
#include "online/HttpFormPost.h"

#include "FrameCost.h"
#include "WebService.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

const double BUDGET_MS = 15.0;

void BM_WizardFrameWhilePostHangs(benchmark::State& state) {
    if (!getenv("DISPLAY")) {
        state.SkipWithError("needs an X server (xvfb-run)");
        return;
    }
    WebService silent("silence");
    setenv("http_proxy", silent.proxyUrl().c_str(), 1);
    FrameCost frames;
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
            const FrameStart start;
            world.frame(0.02);
            frames.add(start);
        }
    }
    unsetenv("http_proxy");
    if (frames.frames() == 0) return;
    frames.count(state, "frame");
    state.counters["frames_over_wall"] = frames.wallOver(BUDGET_MS);
    state.counters["frames_over_cpu"] = frames.processOver(BUDGET_MS);
    state.counters["budget_ms"] = BUDGET_MS;
}
BENCHMARK(BM_WizardFrameWhilePostHangs)->Iterations(300)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);

}  // namespace

BENCHMARK_MAIN();
