#pragma once
// Glyph images for measuring and layout tests that need no window: quads of a
// given size without a texture, set straight into a font's symbol table the
// way addSourceTexture would (origin top left, the font's default spacing).
#include "BareEngineTest.h"

#include <cstdint>
#include <vector>

class FontQuad;
class Quad;

class BlockGlyphs {
public:
    explicit BlockGlyphs(FontQuad* font) : font(font) {}
    // Deletes the quads; the font must not draw afterwards.
    ~BlockGlyphs();
    BlockGlyphs(const BlockGlyphs&) = delete;
    BlockGlyphs& operator=(const BlockGlyphs&) = delete;

    Quad* add(uint16_t symbol, int width, int height);
    // The same size for every symbol of a string of bytes.
    void addAll(const char* symbols, int width, int height);

    FontQuad* font;
    std::vector<Quad*> quads;
};

// A bare engine and an empty quad font for block glyphs.
class BlockFontTest : public BareEngineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    FontQuad* font = nullptr;
    BlockGlyphs* glyphs = nullptr;
};
