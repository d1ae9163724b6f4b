#include "TestImages.h"

#include <fstream>
#include <sstream>

void TestImages::writeTga(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = char(width & 0xFF);
    bytes[13] = char(width >> 8);
    bytes[14] = char(height & 0xFF);
    bytes[15] = char(height >> 8);
    bytes[16] = 32;
    bytes[17] = 8;
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            uint32_t c = pixels[size_t(row) * size_t(width) + size_t(x)];
            bytes += char((c >> 16) & 0xFF); // blue
            bytes += char((c >> 8) & 0xFF);  // green
            bytes += char(c & 0xFF);         // red
            bytes += char((c >> 24) & 0xFF); // alpha
        }
    }
    std::ofstream(name, std::ios::binary) << bytes;
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

void TestImages::writeSolid(const std::string& name, int width, int height, uint32_t rgba) {
    writeTga(name, width, height, std::vector<uint32_t>(size_t(width) * size_t(height), rgba));
}
