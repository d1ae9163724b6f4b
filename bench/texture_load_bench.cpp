// Texture loading in a window (run under Xvfb): a 1,024 x 1,024 TGA read from
// disk, decoded, halved twice to fit the simulated 256 x 256 texture and
// uploaded; and the same picture split into a mosaic of sub-textures instead.
// Prints the time per megapixel of source image.
#include "FileManager.h"
#include "Plim.h"
#include "PlimUtil.h"
#include "Texture.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const int SIDE = 1024;

void writeFile(const std::string& path, const std::string& bytes) {
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

std::string gradientTga(int side) {
    std::string b(18, '\0');
    b[2] = 2;
    b[12] = char(side & 0xff);
    b[13] = char(side >> 8);
    b[14] = char(side & 0xff);
    b[15] = char(side >> 8);
    b[16] = 32;
    b[17] = 8;
    b.reserve(18 + size_t(side) * size_t(side) * 4);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            b += char(x);
            b += char(y);
            b += char(x ^ y);
            b += char(255);
        }
    return b;
}

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
        writeFile((getUserDataFolder(true) + "Corvana2demo.cfg").str(),
                  "[PlimGraphics]\nbFullScreen=No\n[PlimInput]\nbTrackJoystick=No\nbTrackMouse=No\n");
        writeFile("picture.tga", gradientTga(SIDE));
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

void loadPicture(benchmark::State& state, int flags) {
    for (auto _ : state) {
        Texture* t = new Texture("picture.tga", flags);
        benchmark::DoNotOptimize(t->glTexHandle);
        delete t;
    }
    const double megapixels = double(SIDE) * SIDE / 1e6;
    state.counters["megapixels"] = megapixels;
    state.counters["s_per_megapixel"] =
        benchmark::Counter(double(state.iterations()) * megapixels, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_TgaLoadHalveUpload(benchmark::State& state) { loadPicture(state, TEXTURE_HALVE); }
void BM_TgaLoadMosaicUpload(benchmark::State& state) { loadPicture(state, 0); }

} // namespace

BENCHMARK(BM_TgaLoadHalveUpload)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TgaLoadMosaicUpload)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Engine* engine = new Engine();
    benchmark::RunSpecifiedBenchmarks();
    delete engine;
    return 0;
}
