// The per-frame walks over 10,000 engine objects under one context: tick,
// render and mouse pick, in nanoseconds per object, with the heap allocations
// made per frame (expected 0).
#include "core/Context.h"
#include "core/Plim.h"
#include "core/PlimBase.h"

#include "BenchStats.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

// Counts every heap allocation of the process; gcc's new/free pairing check
// does not know that these operators are each other's counterparts.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    std::abort();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

const int OBJECTS = 10000;

struct Scene {
    Scene() {
        engine = new Plim(Plim::Bare{});
        engine->frameTimer.previousStart = 0.0;
        engine->frameTimer.startTime = 0.015;
        root = new Context();
        for (int i = 0; i < OBJECTS; ++i) root->addChild(new PlimBase());
    }
    ~Scene() {
        delete root;
        delete engine;
        PLIM = nullptr;
    }
    Plim* engine;
    Context* root;
};

// Times the whole loop itself so the figure is plainly nanoseconds per object.
template <typename Walk>
void run(benchmark::State& state, Walk walk) {
    Scene scene;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) walk(scene.root);
    double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    state.counters["ns_per_object"] = ns / (double(state.iterations()) * OBJECTS);
    // Counted over plain frames, apart from the benchmark library's own work.
    const int frames = 100;
    long before = allocations;
    for (int i = 0; i < frames; ++i) walk(scene.root);
    state.counters["allocations_per_frame"] = double(allocations - before) / frames;
}

void BM_Tick(benchmark::State& state) {
    run(state, [](Context* root) { root->tickContext(0.0, 0.0); });
}

void BM_Render(benchmark::State& state) {
    run(state, [](Context* root) { root->renderContext(); });
}

void BM_Pick(benchmark::State& state) {
    run(state, [](Context* root) {
        int n = 0;
        benchmark::DoNotOptimize(root->pick(n));
    });
}

} // namespace

BENCHMARK(BM_Tick)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK(BM_Render)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK(BM_Pick)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK_MAIN();
