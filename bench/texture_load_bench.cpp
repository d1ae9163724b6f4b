// Texture loading in a window (run under Xvfb): a 1,024 x 1,024 TGA read from
// disk, decoded, halved twice to fit the simulated 256 x 256 texture and
// uploaded; and the same picture split into a mosaic of sub-textures instead.
// Prints the time per megapixel of source image.
#include "BenchEngine.h"
#include "core/Plim.h"
#include "render/Texture.h"
#include "TgaFile.h"

#include "BenchStats.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

const int SIDE = 1024;

void writeGradient(const std::string& path) {
    writeTgaFile(path, SIDE, SIDE, [](int x, int top) {
        const int y = SIDE - 1 - top; // counted from the bottom row
        return uint32_t((x ^ y) & 0xFF) | uint32_t(y & 0xFF) << 8 | uint32_t(x & 0xFF) << 16 | 0xFF000000u;
    });
}

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

BENCHMARK(BM_TgaLoadHalveUpload)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);
BENCHMARK(BM_TgaLoadMosaicUpload)->Unit(benchmark::kMillisecond)->Apply(BenchStats::wallAndProcessCpu);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // One engine for the whole run: SDL does not always reopen the display
    // after it was shut down within the same process.
    BenchEngine engine("", [] { writeGradient("picture.tga"); });
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
