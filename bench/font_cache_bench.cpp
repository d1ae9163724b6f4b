// Text drawing in a window (run under Xvfb): one frame of 200 lines of 20
// characters each through a quad font, with the font's render cache on and
// off. The same lines are drawn every frame, as menus and score tables do, so
// with the cache each line is composed once and then drawn as one quad.
// Prints the time per frame and the renderables and vertices drawn per frame.
#include "BenchEngine.h"
#include "render/Camera.h"
#include "EngineTestFolder.h"
#include "FontQuad.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Texture.h"
#include "TgaFile.h"

#include "BenchStats.h"

#include <benchmark/benchmark.h>

#include <SDL_opengl.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const int LINES = 200;
const int LINE_LENGTH = 20;
const int GLYPH_W = 7, GLYPH_H = 11;
const int FIRST = 33, LAST = 126;

// Printable ASCII as solid blocks with a hole, one skin per glyph.
void writeFontFiles() {
    const int count = LAST - FIRST + 1;
    const int width = count * (GLYPH_W + 1) > 256 ? 256 : count * (GLYPH_W + 1);
    const int perRow = width / (GLYPH_W + 1);
    const int rows = (count + perRow - 1) / perRow;
    const int height = rows * (GLYPH_H + 1);
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
    std::string ini;
    for (int i = 0; i < count; ++i) {
        const int left = (i % perRow) * (GLYPH_W + 1), top = (i / perRow) * (GLYPH_H + 1);
        for (int y = 0; y < GLYPH_H; ++y)
            for (int x = 0; x < GLYPH_W; ++x)
                if ((x + y + i) % 3) pixels[size_t(top + y) * size_t(width) + size_t(left + x)] = 0xFFFFFFFF;
        ini += "[Skin " + std::to_string(i) + "]\nleft=" + std::to_string(left) + "\ntop=" + std::to_string(top) +
               "\nwidth=" + std::to_string(GLYPH_W) + "\nheight=" + std::to_string(GLYPH_H) + "\n";
    }
    writeTgaFile("benchfont.tga", width, height,
                 [&](int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; });
    EngineTestFolder::writeFile("benchfont.tga.ini", ini);
}

struct Setup {
    std::unique_ptr<BenchEngine> engine;
    Texture* texture = nullptr;
    FontQuad* font = nullptr;
    std::vector<UString> lines;

    bool start() {
        engine.reset(new BenchEngine("", writeFontFiles));
        texture = new Texture("benchfont.tga", TEXTURE_KEEPSOURCE);
        font = new FontQuad();
        font->addSourceTexture(texture, FIRST);
        font->bCacheWhite = true;
        for (int i = 0; i < LINES; ++i) {
            std::string text = "Line " + std::to_string(1000 + i) + ":";
            for (int c = int(text.size()); c < LINE_LENGTH; ++c) text += char(FIRST + (i * 7 + c * 3) % (LAST - FIRST + 1));
            lines.push_back(text.c_str());
        }
        return true;
    }

    void stop() {
        font->deleteMe();
        texture->deleteMe();
        engine.reset();
    }

    // One frame: clear, the view, every line, then the GPU's finish.
    void frame() {
        PLIM->frameCount++;
        for (int32_t& stat : PLIM->frameStats) stat = 0;
        PLIM->graphics->clear(UColor(0, 0, 40, 255));
        Camera camera;
        camera.tick(0.0, 0.0);
        camera.render();
        for (int i = 0; i < LINES; ++i)
            font->printAt(-310.0f + float(i % 2) * 310.0f, 235.0f - float(i / 2) * 4.7f, 0.0f,
                          UColor::WHITE, 2, lines[size_t(i)]);
        glFinish();
        PLIM->graphics->present();
    }
};

// One engine for both runs: SDL does not always reopen the display in one process.
Setup* setup = nullptr;

void BM_TextLinesPerFrame(benchmark::State& state) {
    if (!setup) {
        state.SkipWithError("no engine");
        return;
    }
    PLIM->graphics->bEnableFontCache = state.range(0) != 0;
    setup->frame(); // composes the cached rows once
    int renderables = 0, vertices = 0;
    for (auto _ : state) {
        setup->frame();
        renderables = PLIM->frameStats[STAT_RENDERABLES];
        vertices = PLIM->frameStats[STAT_VERTICES];
    }
    state.counters["renderables_per_frame"] = renderables;
    state.counters["vertices_per_frame"] = vertices;
    if (state.range(0)) state.counters["cache_textures"] = setup->font->getNumCacheTextures();
    state.SetLabel(state.range(0) ? "font cache on" : "font cache off");
}

} // namespace

BENCHMARK(BM_TextLinesPerFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Setup engine;
    if (engine.start()) setup = &engine;
    benchmark::RunSpecifiedBenchmarks();
    if (setup) engine.stop();
    return 0;
}
