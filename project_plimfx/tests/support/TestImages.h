#pragma once
// Small test pictures written into the working folder: 32-bit TGA files and
// their ".ini" side files that cut them into skins.
#include <cstdint>
#include <string>
#include <vector>

struct TestGlyph {
    int width;
    int height;
    uint32_t rgba; // 0xAABBGGRR, the engine's UColor value
};

class TestImages {
public:
    // An uncompressed, bottom-up 32-bit TGA; pixels are given top row first
    // as UColor values.
    static void writeTga(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels);
    // Glyphs side by side, top-aligned, one transparent column apart, each a
    // solid block of its colour; the side file lists one skin per glyph in
    // order. Returns the image's width.
    static int writeGlyphStrip(const std::string& name, const std::vector<TestGlyph>& glyphs);
};
