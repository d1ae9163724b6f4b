// Frames of the real engine in a window (run under Xvfb) over a context of
// 100, 1,000 and 5,000 textured renderables, half of them inside the view and
// half culled, each moved and updated every tick. Prints the frame time split
// into our own work (ticks, transforms, culling, vertex writes) and the time
// inside GL calls (Mesa's software rasteriser here), the GL draw calls and
// texture binds per frame, and the engine's frame counters of the last frame;
// then the window pixels the triangles cover and the GL time per covered pixel,
// which bounds the whole frame on a software renderer.
#include "BenchEngine.h"
#include "core/Context.h"
#include "render/DrawBatch.h"
#include "GlCallTimer.h"
#include "core/Plim.h"
#include "render/Renderable.h"
#include "render/Texture.h"
#include "TgaFile.h"

#include "BenchStats.h"

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

namespace {

// A 32 x 32 opaque-edged disc as a 32-bit TGA.
void writeDisc(const std::string& path) {
    writeTgaFile(path, 32, 32, [](int x, int top) {
        const int y = 31 - top; // counted from the bottom row
        const bool inside = (x - 16) * (x - 16) + (y - 16) * (y - 16) < 256;
        return 200u | uint32_t(y * 8) << 8 | uint32_t(x * 8) << 16 | (inside ? 0xFF000000u : 0u);
    });
}

// The figures of each size's last run (the library runs each more than once).
struct Split {
    double ownMs, glMs, drawCalls, textureBinds, glCalls, coveredPixels;
};
std::map<int, Split> lastRuns;

// Moves its renderables a little every tick, as world objects do.
class Swarm : public Context {
public:
    void tickContents(double time, double dt) override {
        for (BasicLink* link = firstChild; link; link = link->next) {
            Renderable* r = static_cast<Renderable*>(link);
            r->rotation.z += float(dt);
            r->updateVisuals();
        }
        Context::tickContents(time, dt);
    }
};

void BM_RenderableFrames(benchmark::State& state) {
    Texture* texture = new Texture("gfx/disc.tga", 0);
    Swarm* root = new Swarm();
    const int count = int(state.range(0));
    for (int i = 0; i < count; ++i) {
        Renderable* r = new Renderable();
        // Even ones inside the 640 x 480 view, odd ones far to its right.
        float x = float((i * 37) % 600 - 300) + (i % 2 ? 2000.0f : 0.0f);
        float y = float((i * 53) % 440 - 220);
        V3 position(x, y, 0.0f);
        r->setup(texture->skins[0], &position, nullptr, nullptr);
        if (i % 4 == 0) r->color = UColor(255, 128, 128, 200);
        root->addChild(r);
    }
    for (int i = 0; i < 5; ++i)
        PLIM->frame(root); // settle the first frames' timing

    GlCallTimer::reset();
    double frameSeconds = 0.0;
    for (auto _ : state) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) PLIM->sdlOnEvent(&event);
        auto start = std::chrono::steady_clock::now();
        PLIM->frame(root);
        frameSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double frames = double(state.iterations());
    const double glMs = 1000.0 * GlCallTimer::seconds / frames;
    const double drawCalls = double(GlCallTimer::drawCalls) / frames,
                 binds = double(GlCallTimer::textureBinds) / frames, glCalls = double(GlCallTimer::calls) / frames;
    // One more frame, untimed, counts the pixels the triangles cover.
    DrawBatch::countCoverage = true;
    DrawBatch::coveredPixels = 0.0;
    PLIM->frame(root);
    DrawBatch::countCoverage = false;
    const double covered = DrawBatch::coveredPixels;
    const double ownMs = 1000.0 * frameSeconds / frames - glMs;
    state.counters["own_ms"] = ownMs;
    state.counters["gl_ms"] = glMs;
    state.counters["draw_calls"] = drawCalls;
    state.counters["tex_binds"] = binds;
    state.counters["gl_calls"] = glCalls;
    state.counters["covered_px"] = covered;
    state.counters["renderables"] = PLIM->frameStats[STAT_RENDERABLES];
    state.counters["drawn"] = PLIM->frameStats[STAT_RENDERABLES_DRAWN];
    state.counters["vertices"] = PLIM->frameStats[STAT_VERTICES];
    state.counters["vb_writes"] = PLIM->frameStats[STAT_VERTEX_BUFFER_WRITES];
    state.counters["updates"] = PLIM->frameStats[STAT_VISUAL_UPDATES];
    state.counters["textures"] = PLIM->frameStats[STAT_TEXTURES_USED];
    lastRuns[count] = {ownMs, glMs, drawCalls, binds, glCalls, covered};
    delete root;
    delete texture;
}

} // namespace

BENCHMARK(BM_RenderableFrames)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)
    ->Apply(BenchStats::wallAndProcessCpu);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // One engine for the whole run: SDL does not always reopen the display
    // after it was shut down within the same process. A frame period far below
    // the work, so that frames never wait.
    BenchEngine engine("[Plim]\nframeRate=0.00001\n", [] { writeDisc("gfx/disc.tga"); });
    benchmark::RunSpecifiedBenchmarks();
    printf("\nPer frame: our own work (ticks, transforms, culling, vertex writes) and the time inside GL\n"
           "calls (Mesa's software rasteriser here, finishing in the buffer swap):\n");
    printf("  renderables   own (ms)   inside GL (ms)   whole (ms)   draw calls   texture binds   GL calls   covered px"
           "   GL ns per covered px\n");
    for (const auto& run : lastRuns) {
        const Split& s = run.second;
        printf("  %11d   %8.3f   %14.3f   %10.3f   %10.0f   %13.0f   %8.0f   %10.0f   %20.2f\n", run.first, s.ownMs,
               s.glMs, s.ownMs + s.glMs, s.drawCalls, s.textureBinds, s.glCalls, s.coveredPixels,
               s.coveredPixels > 0.0 ? 1e6 * s.glMs / s.coveredPixels : 0.0);
    }
    auto it = lastRuns.find(5000);
    if (it != lastRuns.end()) {
        const Split& s = it->second;
        printf("Target for 5,000: whole frame <= 5 ms: %s; draw calls <= 50: %s\n",
               s.ownMs + s.glMs <= 5.0 ? "met" : "MISSED", s.drawCalls <= 50.0 ? "met" : "MISSED");
    }
    return 0;
}
