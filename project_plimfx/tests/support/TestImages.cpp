#include "TestImages.h"

#include "TgaFile.h"

#include <fstream>
#include <sstream>

void TestImages::writeTga(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels) {
    writeTgaFile(name, width, height,
                 [&](int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; });
}

int TestImages::writeGlyphStrip(const std::string& name, const std::vector<TestGlyph>& glyphs) {
    int width = 0, height = 1;
    for (const TestGlyph& g : glyphs) {
        width += g.width + 1;
        if (g.height > height) height = g.height;
    }
    if (width == 0) width = 1;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
    std::ostringstream ini;
    int left = 0;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const TestGlyph& g = glyphs[i];
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                pixels[size_t(y) * size_t(width) + size_t(left + x)] = g.rgba;
        ini << "[Skin " << i << "]\nleft=" << left << "\ntop=0\nwidth=" << g.width << "\nheight=" << g.height
            << "\n";
        left += g.width + 1;
    }
    writeTga(name, width, height, pixels);
    std::ofstream(name + ".ini", std::ios::binary) << ini.str();
    return width;
}
