#include "BlockGlyphs.h"

#include "FontQuad.h"
#include "render/Quad.h"

BlockGlyphs::~BlockGlyphs() {
    for (Quad* q : quads) q->deleteMe();
}

Quad* BlockGlyphs::add(uint16_t symbol, int width, int height) {
    Quad* q = new Quad();
    q->setSize(float(width), float(height));
    q->setOrigin(7);
    quads.push_back(q);
    font->symbolData[symbol].pQuad = q;
    font->symbolData[symbol].spacing = font->defaultSpacing;
    int tallest = 0;
    for (const FontSymbol& s : font->symbolData)
        if (s.pQuad && int(s.pQuad->height) > tallest) tallest = int(s.pQuad->height);
    font->fontHeight = tallest;
    return q;
}

void BlockGlyphs::addAll(const char* symbols, int width, int height) {
    for (const char* c = symbols; *c; ++c) add(uint8_t(*c), width, height);
}

void BlockFontTest::SetUp() {
    BareEngineTest::SetUp();
    font = new FontQuad();
    glyphs = new BlockGlyphs(font);
}

void BlockFontTest::TearDown() {
    delete glyphs;
    font->deleteMe();
    BareEngineTest::TearDown();
}
