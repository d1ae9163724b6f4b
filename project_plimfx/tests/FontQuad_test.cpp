// Font measuring without a window (block glyphs): symbol sizes and advances,
// escapes (also cut short or beyond the table), limits, colour markup, and
// accent placement of composite letters.
#include "BlockGlyphs.h"
#include "FontQuad.h"
#include "FxExpect.h"
#include "core/Plim.h"
#include "render/Quad.h"

#include <gtest/gtest.h>

namespace {

class FontQuadTest : public BlockFontTest {
protected:
    void SetUp() override {
        BlockFontTest::SetUp();
        font->spaceWidth = 3;
        font->defaultSpacing = 1;
        glyphs->add('A', 5, 7);
        glyphs->add('B', 6, 9);
        glyphs->add(257, 9, 4);
    }
    FontSize width(const char* text) { return font->getTextWidth(UString(text), nullptr); }
};

TEST_F(FontQuadTest, MeasuresImagesSpacingAndSpaces) {
    EXPECT_EQ(width("").width, 0);
    EXPECT_EQ(width("").height, 0);
    FontSize s = width("A B");
    EXPECT_EQ(s.width, 6 + 3 + 7);
    EXPECT_EQ(s.height, 9);
    // No byte breaks a line when measuring.
    EXPECT_EQ(width("A\nA").width, 6 + 3 + 6);
    EXPECT_EQ(font->getSymbolSize('A').width, 5);
    EXPECT_EQ(font->getSymbolSize(' ').width, 3);
    EXPECT_EQ(font->getSymbolSize(' ').height, 0);
}

TEST_F(FontQuadTest, EscapeNamesOneHighSymbol) {
    UString text("\x1f\x80\x81");
    int index = 0;
    EXPECT_EQ(font->decodeSymbol(text, index), 257);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(width("A\x1f\x80\x81" "A").width, 6 + 10 + 6);
    // The high bits of the payload are ignored.
    UString plain("\x1f\x00\x01", 3);
    index = 0;
    EXPECT_EQ(font->decodeSymbol(plain, index), 257);
}

TEST_F(FontQuadTest, EscapeCutShortOrBeyondTableNamesNoImage) {
    // Cut short: the rest of the text is one symbol without an image.
    for (const UString& text : {UString("A\x1f"), UString("A\x1f\x80")}) {
        int index = 1;
        EXPECT_EQ(font->decodeSymbol(text, index), FontQuad::NUMSYMBOLS);
        EXPECT_EQ(index, int(text.length()) - 1);
        EXPECT_EQ(font->getTextWidth(text, nullptr).width, 6 + 3);
    }
    // 1023 is the last symbol; anything above lies outside the table.
    UString last("\x1f\x85\xff");
    int index = 0;
    EXPECT_EQ(font->decodeSymbol(last, index), 1023);
    EXPECT_EQ(width("\x1f\x86\x80").width, 3);
    EXPECT_EQ(width("\x1f\xff\xff").width, 3);
    EXPECT_EQ(font->getSymbolSize(5000).width, 3);
    EXPECT_EQ(font->getSymbol(5000).pQuad, nullptr);
}

TEST_F(FontQuadTest, LimitStopsBeforeFirstSymbolThatDoesNotFit) {
    int limit = 12;
    FontSize s = font->getTextWidth("AAAA", &limit);
    EXPECT_EQ(s.width, 12);
    EXPECT_EQ(limit, 2);
    // The index of an escape is its first byte.
    limit = 13;
    font->getTextWidth("AA\x1f\x80\x81" "A", &limit);
    EXPECT_EQ(limit, 2);
    // Everything fits: the limit is untouched.
    limit = 100;
    EXPECT_EQ(font->getTextWidth("AB", &limit).width, 13);
    EXPECT_EQ(limit, 100);
}

TEST_F(FontQuadTest, LineSizeSkipsColourMarkup) {
    glyphs->addAll("abcd", 4, 5);
    FontSize plain = width("abcd");
    FontSize marked = font->getTextSize("ab\x1e{ff0000}cd");
    EXPECT_EQ(marked.width, plain.width);
    EXPECT_EQ(marked.height, plain.height);
    EXPECT_EQ(font->getTextSize("").width, 0);
    // A code cut short takes the rest of the line.
    EXPECT_EQ(font->getTextSize("ab\x1e{ff").width, width("ab").width);
}

TEST_F(FontQuadTest, AutomaticAccentPlacement) {
    font->accentDropUpper = 0;
    font->accentDropLower = 5;
    glyphs->add('a', 5, 5);
    glyphs->add(0xA8, 3, 2); // diaeresis
    font->symbolData[uint8_t('a')].spacing = 2;
    font->setCompositeChar(0xC4, 'A', 0xA8, FontQuad::AUTO_PLACE, FontQuad::AUTO_PLACE);
    font->setCompositeChar(0xE4, 'a', 0xA8, FontQuad::AUTO_PLACE, FontQuad::AUTO_PLACE);
    const FontSymbol& upper = font->symbolData[0xC4];
    const FontSymbol& lower = font->symbolData[0xE4];
    EXPECT_EQ(upper.pQuad, font->symbolData[uint8_t('A')].pQuad);
    EXPECT_EQ(upper.pAccentQuad, font->symbolData[0xA8].pQuad);
    EXPECT_EQ(upper.accentX, 1); // (5 + 1 - 3) / 2, truncated
    EXPECT_EQ(upper.accentY, 3); // one pixel above the top
    EXPECT_EQ(lower.accentY, upper.accentY - 5);
    EXPECT_EQ(lower.spacing, 2);
    EXPECT_EQ(width("\xc4").width, width("A").width);
    // Given offsets are kept.
    font->setCompositeChar(0xC7, 'A', 0xA8, 4, 0);
    EXPECT_EQ(font->symbolData[0xC7].accentX, 4);
    EXPECT_EQ(font->symbolData[0xC7].accentY, 0);
}

TEST_F(FontQuadTest, SetupDefinesAllAccentedLetters) {
    glyphs->addAll("ACEINOUYacenouy", 5, 7);
    glyphs->add(0x7F, 2, 7);
    for (uint16_t accent : {0x60, 0xB4, 0x88, 0x98, 0xA8, 0xB0, 0xB8}) glyphs->add(accent, 3, 2);
    font->setupCompositeChars();
    int defined = 0;
    for (int c = 0x80; c < 0x100; ++c)
        if (font->symbolData[c].pAccentQuad) ++defined;
    EXPECT_EQ(defined, 54);
    EXPECT_EQ(font->symbolData[0xE7].accentY, 0); // cedilla hangs from the top
    EXPECT_EQ(font->symbolData[0xEF].pQuad, font->symbolData[0x7F].pQuad);
    EXPECT_EQ(font->symbolData[0x9F].pQuad, font->symbolData[uint8_t('Y')].pQuad);
}

TEST_F(FontQuadTest, CompositeWithoutAccentImageIsADataFault) {
    EXPECT_DATA_FAULT(font->setCompositeChar(0xC4, 'A', 0xA8, FontQuad::AUTO_PLACE, FontQuad::AUTO_PLACE),
                      "A font has no sub-image for symbol 168, the accent of symbol 196.\n");
}

TEST_F(FontQuadTest, CompositeOverMissingBaseAdvancesLikeASpace) {
    glyphs->add(0xA8, 3, 2);
    font->setCompositeChar(0xC4, 'Q', 0xA8, 1, FontQuad::AUTO_PLACE);
    EXPECT_EQ(font->symbolData[0xC4].pQuad, nullptr);
    EXPECT_EQ(width("\xc4").width, 3);
}

} // namespace
