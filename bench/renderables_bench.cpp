// Frames of the real engine in a window (run under Xvfb) over a context of
// 100, 1,000 and 5,000 textured renderables, half of them inside the view and
// half culled, each moved and updated every tick. Prints the frame time and
// the engine's frame counters of the last frame.
#include "Context.h"
#include "FileManager.h"
#include "Plim.h"
#include "PlimUtil.h"
#include "Renderable.h"
#include "Texture.h"

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

// A 32 x 32 opaque-edged disc as a 32-bit TGA.
std::string discTga() {
    std::string b(18, '\0');
    b[2] = 2;
    b[12] = 32;
    b[14] = 32;
    b[16] = 32;
    b[17] = 8;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            bool inside = (x - 16) * (x - 16) + (y - 16) * (y - 16) < 256;
            b += char(x * 8);
            b += char(y * 8);
            b += char(200);
            b += char(inside ? 255 : 0);
        }
    return b;
}

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

// One engine for the whole run: SDL does not always reopen the display after
// it was shut down within the same process.
struct Engine {
    Engine() {
        char pattern[] = "/tmp/plimbench.XXXXXX";
        folder = mkdtemp(pattern);
        setenv("U3_APP_DATA_PATH", (folder + "/data").c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("SDL_VIDEODRIVER", "x11", 0);
        if (chdir(folder.c_str()) != 0) perror("chdir");
        writeFile("Corvana2demo.cfg.static", "[Language]\nbMultilanguage=Yes\nsingleLanguage=0\n[Edition]\nbHoliday=No\n"
                                             "[Graphics]\nditherDepth=0\n[Input]\nhardwareMouseScaling=1.0\n");
        // A frame period far below the work, so that frames never wait.
        writeFile((getUserDataFolder(true) + "Corvana2demo.cfg").str(),
                  "[Plim]\nframeRate=0.00001\n[PlimGraphics]\nbFullScreen=No\n"
                  "[PlimInput]\nbTrackJoystick=No\nbTrackMouse=No\n");
        if (system("mkdir -p gfx") != 0) perror("mkdir");
        writeFile("gfx/disc.tga", discTga());
        new Plim();
        PLIM->fileManager->bUseWad = false; // the pictures lie on disk
    }
    ~Engine() {
        delete PLIM;
        PLIM = nullptr;
        std::string command = "rm -rf '" + folder + "'";
        if (system(command.c_str()) != 0) perror("rm");
    }
    std::string folder;
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

    for (auto _ : state) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) PLIM->sdlOnEvent(&event);
        PLIM->frame(root);
    }
    state.counters["renderables"] = PLIM->frameStats[STAT_RENDERABLES];
    state.counters["drawn"] = PLIM->frameStats[STAT_RENDERABLES_DRAWN];
    state.counters["vertices"] = PLIM->frameStats[STAT_VERTICES];
    state.counters["vb_writes"] = PLIM->frameStats[STAT_VERTEX_BUFFER_WRITES];
    state.counters["updates"] = PLIM->frameStats[STAT_VISUAL_UPDATES];
    state.counters["textures"] = PLIM->frameStats[STAT_TEXTURES_USED];
    delete root;
    delete texture;
}

} // namespace

BENCHMARK(BM_RenderableFrames)->Arg(100)->Arg(1000)->Arg(5000)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Engine* engine = new Engine();
    benchmark::RunSpecifiedBenchmarks();
    delete engine;
    return 0;
}
