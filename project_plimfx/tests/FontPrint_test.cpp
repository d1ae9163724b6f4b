// Quad fonts on real textures in a window (Xvfb): loading symbols from skins,
// alignment flags read back as pixels, tint, shadows, cutting with "...", and
// which strings go through the render cache.
#include "FontQuad.h"
#include "FxExpect.h"
#include "FxWindow.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "render/Renderable.h"

#include <gtest/gtest.h>

namespace {

class FontPrintTest : public FontWindowTest {
protected:
    // 'A' red 4 x 6, 'B' green 5 x 8, 'C' white 6 x 3.
    void loadABC() { load("abc.tga", {{4, 6, RED}, {5, 8, GREEN}, {6, 3, WHITE}}, 'A'); }
};

TEST_F(FontPrintTest, SkinsGoToConsecutiveSymbolsSkippingTheSpace) {
    std::vector<TestGlyph> glyphs;
    for (int i = 0; i < 40; ++i) glyphs.push_back({1, 1 + i % 7, WHITE});
    Texture* t = load("forty.tga", glyphs, 0);
    EXPECT_EQ(font->symbolData[31].pQuad, t->skins[31]);
    EXPECT_EQ(font->symbolData[32].pQuad, nullptr);
    EXPECT_EQ(font->symbolData[33].pQuad, t->skins[33]);
    EXPECT_EQ(font->symbolData[39].pQuad, t->skins[39]);
    EXPECT_EQ(font->symbolData[40].pQuad, nullptr);
    EXPECT_EQ(font->nextSymbolToLoad, 40);
    EXPECT_EQ(font->fontHeight, 7);
    // Skins take the top-left corner as their origin.
    EXPECT_FLOAT_EQ(t->skins[33]->origin.x, -0.5f);
    EXPECT_FLOAT_EQ(t->skins[33]->origin.y, t->skins[33]->height / 2);
    // 0xFFFF continues where the last texture stopped.
    load("more.tga", {{2, 2, WHITE}}, 0xFFFF);
    EXPECT_NE(font->symbolData[40].pQuad, nullptr);
    EXPECT_EQ(font->nextSymbolToLoad, 41);
}

TEST_F(FontPrintTest, LetterHeightComesFromAThenAThenZero) {
    load("zero.tga", {{3, 4, WHITE}}, '0');
    EXPECT_EQ(font->letterHeight, 4);
    load("small.tga", {{3, 5, WHITE}}, 'a');
    EXPECT_EQ(font->letterHeight, 5);
    load("capital.tga", {{3, 6, WHITE}}, 'A');
    EXPECT_EQ(font->letterHeight, 6);
}

TEST_F(FontPrintTest, MoreThanTheSymbolTableIsADataFault) {
    // The child gives its display back on the way out: one of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DATA_FAULT(load("last.tga", {{1, 1, WHITE}, {1, 1, WHITE}}, 1023),
                      "Texture 'last.tga' has sub-images past the last symbol of a font, 1023.");
}

TEST_F(FontPrintTest, AlignmentFlagsMoveTheOrigin) {
    loadABC();
    ASSERT_EQ(font->fontHeight, 8);
    ASSERT_EQ(font->letterHeight, 6);
    struct Case {
        int flags;
        float left, top; // where the text's top-left corner lands
    } cases[] = {
        {2, 0, 0}, {3, 0, 0}, {FontQuad::PRINT_CENTER, -5, 0}, {FontQuad::PRINT_RIGHT, -11, 0},
        {FontQuad::PRINT_VCENTER, 0, 4}, {FontQuad::PRINT_BOTTOM, 0, 8}, {FontQuad::PRINT_BASELINE, 0, 6},
        {FontQuad::PRINT_CENTER | FontQuad::PRINT_VCENTER, -5, 4},
        {FontQuad::PRINT_CENTER | FontQuad::PRINT_RIGHT, -16, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        window->beginFrame();
        font->printAt(0, 0, 0, UColor(WHITE), c.flags, "AB");
        EXPECT_TRUE(rgbIs(at(c.left, c.top), RED));
        EXPECT_TRUE(rgbIs(at(c.left + 3, c.top - 5), RED));
        EXPECT_TRUE(rgbIs(at(c.left + 4, c.top), 0)); // the spacing column
        EXPECT_TRUE(rgbIs(at(c.left + 5, c.top - 7), GREEN));
        EXPECT_TRUE(rgbIs(at(c.left - 1, c.top), 0));
        EXPECT_TRUE(rgbIs(at(c.left, c.top + 1), 0));
    }
    // An odd width of 7 centres 3 to the left.
    window->beginFrame();
    font->printAt(0, 0, 0, UColor(WHITE), FontQuad::PRINT_CENTER, "C");
    EXPECT_TRUE(rgbIs(at(-3, 0), WHITE));
    EXPECT_TRUE(rgbIs(at(-4, 0), 0));
}

TEST_F(FontPrintTest, TextIsTintedAndPlacedByItsFrame) {
    loadABC();
    window->beginFrame();
    Renderable frame;
    frame.position = V3(100, 50, 0);
    frame.color = UColor(0, 255, 0, 255);
    frame.updateVisuals();
    font->print(&frame, 2, "C");
    EXPECT_TRUE(rgbIs(at(100, 50), GREEN));
    EXPECT_TRUE(rgbIs(at(99, 50), 0));
}

TEST_F(FontPrintTest, OnlyStringsOfFourBytesOrMoreUseTheCache) {
    loadABC();
    auto renders = [&](int flags, const char* text) {
        window->beginFrame();
        font->printAt(0, 0, 0, UColor(WHITE), flags, text);
        return PLIM->frameStats[STAT_RENDERABLES];
    };
    EXPECT_EQ(renders(2, ""), 0);
    EXPECT_EQ(renders(2, "ABA"), 3);
    EXPECT_EQ(renders(2, "ABAB"), 1);
    EXPECT_EQ(renders(2 | FontQuad::PRINT_NOCACHE, "ABAB"), 4);
    font->bUseCache = false;
    EXPECT_EQ(renders(2, "ABAB"), 4);
    font->bUseCache = true;
    PLIM->graphics->bEnableFontCache = false;
    EXPECT_EQ(renders(2, "ABAB"), 4);
}

TEST_F(FontPrintTest, EscapedSymbolIsDrawnAsOneGlyph) {
    loadABC();
    load("high.tga", {{7, 3, BLUE}}, 257);
    window->beginFrame();
    font->printAt(0, 0, 0, UColor(WHITE), FontQuad::PRINT_NOCACHE, "\x1f\x80\x81" "A");
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 2);
    EXPECT_TRUE(rgbIs(at(6, 0), BLUE));
    EXPECT_TRUE(rgbIs(at(8, 0), RED));
}

TEST_F(FontPrintTest, GlyphsOfASplitTextureAreMosaicsDrawnWithoutTheCache) {
    // 262 pixels wide without TEXTURE_HALVE: split into cells 254 wide, so
    // 'B' (x 201 to 261) lies on both sub-textures.
    Texture* t = load("split.tga", {{200, 4, RED}, {60, 6, GREEN}}, 'A', TEXTURE_KEEPSOURCE);
    ASSERT_EQ(t->pSubTextureRoot->getNumChildren(), 2u);
    EXPECT_EQ(font->symbolData[uint8_t('B')].pQuad, t->skins[1]);
    EXPECT_EQ(FontQuad::asQuad(font->symbolData[uint8_t('B')].pQuad), nullptr);
    EXPECT_EQ(font->fontHeight, 6);
    EXPECT_EQ(font->getTextWidth("BA", nullptr).width, 61 + 201);
    // Cache-eligible text with a mosaic glyph is drawn glyph by glyph.
    window->beginFrame();
    font->printAt(-200, 0, 0, UColor(WHITE), 2, "BBBB");
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 4);
    EXPECT_EQ(font->getNumCacheEntries(), 0);
    for (float x : {-200.0f, -147.0f, -146.0f, -141.0f, -80.0f})
        EXPECT_TRUE(rgbIs(at(x, -5), GREEN)) << x;
    EXPECT_TRUE(rgbIs(at(-140, 0), 0));
    // Composed accents may be mosaics too.
    font->setCompositeChar(0xC1, 'A', 'B', 0, 0);
    window->beginFrame();
    font->printAt(-200, 0, 0, UColor(WHITE), FontQuad::PRINT_NOCACHE, "\xc1");
    EXPECT_TRUE(rgbIs(at(-200, -5), GREEN));
    EXPECT_TRUE(rgbIs(at(-100, -3), RED));
}

TEST_F(FontPrintTest, CutTextEndsInDotsAndNeverSplitsAnEscape) {
    load("dots.tga", {{4, 6, RED}}, 'A');
    load("dot.tga", {{1, 1, BLUE}}, '.');
    load("wide.tga", {{9, 2, GREEN}}, 257);
    Renderable frame;
    frame.updateVisuals();
    const int flags = FontQuad::PRINT_NOCACHE;
    // "AAAA" is 20 wide, "..." 6.
    window->beginFrame();
    font->printClipped(&frame, flags, "AAAA", 20);
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 4);
    window->beginFrame();
    font->printClipped(&frame, flags, "AAAA", 19);
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 5);
    EXPECT_TRUE(rgbIs(at(5, 0), RED));
    EXPECT_TRUE(rgbIs(at(10, 0), BLUE));
    EXPECT_TRUE(rgbIs(at(12, 0), BLUE));
    // The escape does not fit in 13: it goes whole.
    window->beginFrame();
    font->printClipped(&frame, flags, "A\x1f\x80\x81" "A", 19);
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 4);
    EXPECT_TRUE(rgbIs(at(5, 0), BLUE));
    // Not even the first symbol fits.
    window->beginFrame();
    font->printClipped(&frame, flags, "AAAA", 6);
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 3);
}

TEST_F(FontPrintTest, ShadowIsDrawnBeneathOnlyWhenTextShadowsAreOn) {
    load("w.tga", {{4, 4, WHITE}}, 'W');
    Renderable frame;
    frame.updateVisuals();
    const Matrix before = frame.xform;
    const UColor shadow(0, 0, 255, 255);

    window->beginFrame();
    PLIM->graphics->bTextShadows = false;
    font->printShadowed(&frame, 2, "W", 2, -2, 0, shadow);
    EXPECT_TRUE(rgbIs(at(5, -5), 0));
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 1);

    window->beginFrame();
    PLIM->graphics->bTextShadows = true;
    font->printShadowed(&frame, 2, "W", 2, -2, 0, shadow);
    EXPECT_TRUE(rgbIs(at(5, -5), BLUE));
    EXPECT_TRUE(rgbIs(at(3, -3), WHITE)); // the text lies on top
    EXPECT_EQ(frame.position, V3(0, 0, 0));
    EXPECT_EQ(frame.color, UColor(WHITE));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(frame.xform.m[i], before.m[i]);

    window->beginFrame();
    font->printAtShadowed(100, 0, 0, UColor(WHITE), 2, "W", 2, -2, 0, shadow);
    EXPECT_TRUE(rgbIs(at(105, -5), BLUE));
    EXPECT_TRUE(rgbIs(at(100, 0), WHITE));
}

TEST_F(FontPrintTest, AccentsAreDrawnOverTheirBase) {
    loadABC();
    load("ring.tga", {{2, 2, BLUE}}, 0xB0);
    font->setCompositeChar(0xC5, 'A', 0xB0, FontQuad::AUTO_PLACE, FontQuad::AUTO_PLACE);
    // Accent x (4 + 1 - 2) / 2 = 1; y 3: its bottom edge one pixel above the top.
    for (int flags : {2, 2 | FontQuad::PRINT_NOCACHE}) {
        SCOPED_TRACE(flags);
        window->beginFrame();
        font->printAt(0, 0, 0, UColor(WHITE), flags, "\xc5\xc5\xc5\xc5");
        EXPECT_TRUE(rgbIs(at(0, 0), RED));
        EXPECT_TRUE(rgbIs(at(1, 3), BLUE));
        EXPECT_TRUE(rgbIs(at(2, 2), BLUE));
        EXPECT_TRUE(rgbIs(at(1, 1), 0));
        EXPECT_TRUE(rgbIs(at(16, 3), BLUE));
    }
}

} // namespace
