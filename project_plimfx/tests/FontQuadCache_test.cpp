// The font render cache in a window (Xvfb): rows per cache texture, reuse of
// rows by string and by age, splitting of strings too wide for a row, the
// composed pixels, and dropping the cache when the GL context goes.
#include "FontQuad.h"
#include "FontQuadCacheEntry.h"
#include "FxExpect.h"
#include "FxWindow.h"
#include "LogText.h"
#include "render/MemoryImageFile.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

class FontQuadCacheTest : public FontWindowTest {
protected:
    // 'A' red and 'B' green, 9 x 15 (advance 10): 16 rows per cache texture.
    void loadAB() { load("ab.tga", {{9, 15, RED}, {9, 15, GREEN}}, 'A'); }
    void print(const std::string& text, int flags = 2) { font->printAt(0, 0, 0, UColor(WHITE), flags, text.c_str()); }
    void frame(int number) {
        window->beginFrame();
        PLIM->frameCount = number;
    }
    std::set<std::string> cachedTexts() {
        std::set<std::string> texts;
        for (BasicLink* l = font->cacheEntries->firstChild; l; l = l->next) {
            const UString& t = static_cast<FontQuadCacheEntry*>(l)->text;
            if (!t.isEmpty()) texts.insert(t.c_str());
        }
        return texts;
    }
};

TEST_F(FontQuadCacheTest, RowsPerTextureFollowTheFontHeight) {
    loadAB();
    PLIM->bDebugLocked = false; // the destroyed font lists its rows
    frame(1);
    print("ABAB");
    EXPECT_EQ(font->getNumCacheTextures(), 1);
    EXPECT_EQ(font->getNumCacheEntries(), 16);
    font->deleteMe();

    font = new FontQuad();
    load("tall.tga", {{9, 20, RED}}, 'A');
    frame(2);
    print("AAAA");
    EXPECT_EQ(font->getNumCacheEntries(), 12);
    FontQuadCacheEntry* last = static_cast<FontQuadCacheEntry*>(font->cacheEntries->lastChild);
    EXPECT_EQ(last->pQuad->pixelRect.top, 11 * 21);
    EXPECT_EQ(last->pQuad->pixelRect.bottom, 12 * 21);

    LogText log(closeEngine());
    EXPECT_GE(log.find("createCacheTexture(): Creating new cache texture (16 cache entries)."), 0);
    EXPECT_GE(log.find("~FontQuad(): Cache usage: 1 textures (16 entries)."), 0);
    EXPECT_GE(log.find("~FontQuad(): Contents: ABAB"), 0);
    EXPECT_GE(log.find("createCacheTexture(): Creating new cache texture (12 cache entries)."), 0);
}

TEST_F(FontQuadCacheTest, SameStringKeepsItsRow) {
    loadAB();
    frame(1);
    print("ABAB");
    print("ABAB");
    frame(2);
    print("ABAB");
    EXPECT_EQ(cachedTexts(), (std::set<std::string>{"ABAB"}));
    print("ABAB ");
    EXPECT_EQ(cachedTexts(), (std::set<std::string>{"ABAB", "ABAB "}));
    EXPECT_EQ(font->findCacheEntry("ABAB")->lastUsedFrame, 2);
}

TEST_F(FontQuadCacheTest, RowIsFreeOnlyAfterItsTimeToLive) {
    loadAB();
    ASSERT_EQ(font->cacheTTLframes, 2);
    EXPECT_EQ(PLIM->config->getInt("FontQuad", "cacheTTLframes"), 2);
    frame(10);
    print("ABAB");
    FontQuadCacheEntry* row = font->findCacheEntry("ABAB");
    ASSERT_EQ(row, static_cast<FontQuadCacheEntry*>(font->cacheEntries->firstChild));
    for (int f : {11, 12}) {
        PLIM->frameCount = f;
        EXPECT_NE(font->getFreeCacheEntry(), row) << f;
    }
    PLIM->frameCount = 13;
    EXPECT_EQ(font->getFreeCacheEntry(), row);
}

// A time to live that would overflow the frame arithmetic falls back to the
// default; the settings file keeps what it holds.
TEST_F(FontQuadCacheTest, AnOverflowingTimeToLiveFallsBackToTheDefault) {
    PLIM->config->setString("FontQuad", "cacheTTLframes", "2147483647");
    FontQuad* other = new FontQuad();
    EXPECT_EQ(other->cacheTTLframes, 2);
    EXPECT_EQ(PLIM->config->getString("FontQuad", "cacheTTLframes"), UString("2147483647"));
    other->deleteMe();
    PLIM->config->setString("FontQuad", "cacheTTLframes", "1000000");
    other = new FontQuad();
    EXPECT_EQ(other->cacheTTLframes, 1000000);
    other->deleteMe();
}

TEST_F(FontQuadCacheTest, ThirteenthStringOfAFrameOpensASecondTexture) {
    load("tall.tga", {{9, 20, RED}, {9, 20, GREEN}}, 'A');
    frame(5);
    for (int i = 0; i < 12; ++i) print(std::string(4, 'A') + std::string(size_t(i), 'B'));
    EXPECT_EQ(font->getNumCacheTextures(), 1);
    print("BBBB");
    EXPECT_EQ(font->getNumCacheTextures(), 2);
    EXPECT_EQ(font->getNumCacheEntries(), 24);
}

TEST_F(FontQuadCacheTest, CachedStringLooksLikeGlyphByGlyph) {
    loadAB();
    for (int flags : {2, 2 | FontQuad::PRINT_NOCACHE}) {
        SCOPED_TRACE(flags);
        frame(1);
        font->printAt(20, 10, 0, UColor(WHITE), flags, "AB A");
        EXPECT_TRUE(rgbIs(at(20, 10), RED));
        EXPECT_TRUE(rgbIs(at(28, -4), RED));
        EXPECT_TRUE(rgbIs(at(29, 10), 0)); // spacing
        EXPECT_TRUE(rgbIs(at(30, 10), GREEN));
        EXPECT_TRUE(rgbIs(at(39, 10), 0)); // space
        EXPECT_TRUE(rgbIs(at(42, 10), 0));
        EXPECT_TRUE(rgbIs(at(43, 10), RED));
        EXPECT_TRUE(rgbIs(at(51, -4), RED));
        EXPECT_TRUE(rgbIs(at(52, 10), 0));
        EXPECT_TRUE(rgbIs(at(20, -5), 0));
    }
    // The cached image is tinted by the frame like single glyphs.
    frame(2);
    font->printAt(0, 0, 0, UColor(255, 0, 0, 255), 2, "BBBB");
    EXPECT_TRUE(rgbIs(at(0, 0), 0));
    font->printAt(0, 50, 0, UColor(0, 255, 0, 255), 2, "BBBB");
    EXPECT_TRUE(rgbIs(at(0, 50), GREEN));
}

TEST_F(FontQuadCacheTest, RefilledRowKeepsNothingOfTheOldString) {
    loadAB();
    font->bCacheWhite = true;
    frame(1);
    print("BBBBBBBB");
    FontQuadCacheEntry* row = font->findCacheEntry("BBBBBBBB");
    MemoryImageFile* image = row->pQuad->pTexture->pSavedSourceData;
    EXPECT_EQ(row->pQuad->pixelRect.right, 79);
    frame(5);
    print("AAAA");
    ASSERT_EQ(font->findCacheEntry("AAAA"), row);
    EXPECT_EQ(row->pQuad->pixelRect.right, 39);
    EXPECT_EQ(row->pQuad->pixelRect.bottom, 15);
    const uint8_t* old = image->pixel(50, 3);
    EXPECT_EQ(old[0], 255);
    EXPECT_EQ(old[3], 0); // transparent white
    EXPECT_EQ(image->pixel(5, 3)[0], 255);
    EXPECT_EQ(image->pixel(5, 3)[1], 0);
}

TEST_F(FontQuadCacheTest, WideStringIsSplitNearItsMiddle) {
    loadAB();
    std::string text;
    for (int i = 0; i < 30; ++i) text += i % 2 ? 'B' : 'A';
    frame(1);
    print(text);
    EXPECT_EQ(cachedTexts(), (std::set<std::string>{text.substr(0, 15), text.substr(15)}));
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 2);
    // The halves meet edge to edge: 'A' at 140, 'B' at 150.
    EXPECT_TRUE(rgbIs(at(148, 0), RED));
    EXPECT_TRUE(rgbIs(at(149, 0), 0));
    EXPECT_TRUE(rgbIs(at(150, 0), GREEN));
    EXPECT_TRUE(rgbIs(at(298, 0), GREEN));
}

TEST_F(FontQuadCacheTest, SplitNeverCutsAnEscapeOrAccentedRun) {
    loadAB();
    load("wide.tga", {{9, 15, BLUE}}, 257);
    load("ring.tga", {{2, 2, WHITE}}, 0xB0);
    font->setCompositeChar(0xC5, 'A', 0xB0, FontQuad::AUTO_PLACE, FontQuad::AUTO_PLACE);

    frame(1);
    std::string escaped = std::string(14, 'A') + "\x1f\x80\x81" + std::string(14, 'B');
    print(escaped);
    EXPECT_EQ(cachedTexts(), (std::set<std::string>{std::string(14, 'A'), escaped.substr(14)}));
    EXPECT_TRUE(rgbIs(at(140, 0), BLUE));

    frame(10);
    std::string accented = std::string(12, 'A') + std::string(6, '\xc5') + std::string(12, 'B');
    print(accented);
    std::set<std::string> texts = cachedTexts();
    EXPECT_EQ(texts.count(std::string(11, 'A')), 1u);
    EXPECT_EQ(texts.count(accented.substr(11)), 1u);
}

TEST_F(FontQuadCacheTest, ModeStepToRestoreDropsTheCacheAndPrintingRebuildsIt) {
    loadAB();
    frame(1);
    print("ABAB");
    font->onPLIMmodeChange(MODE_OK, MODE_INACTIVE);
    EXPECT_EQ(font->getNumCacheEntries(), 16);
    // The engine's steps 3 -> 2 -> 1: the textures lose their GL names too.
    PLIM->changePLIMmode(MODE_RESTORE);
    EXPECT_EQ(font->getNumCacheTextures(), 0);
    EXPECT_EQ(font->getNumCacheEntries(), 0);
    PLIM->changePLIMmode(MODE_OK);
    frame(2);
    print("ABAB");
    EXPECT_EQ(font->getNumCacheTextures(), 1);
    EXPECT_TRUE(rgbIs(at(0, 0), RED));
    EXPECT_TRUE(rgbIs(at(10, 0), GREEN));
}

TEST_F(FontQuadCacheTest, TurningTheCacheOffAndOnAgainReusesRows) {
    loadAB();
    frame(1);
    print("ABAB");
    FontQuadCacheEntry* row = font->findCacheEntry("ABAB");
    PLIM->graphics->bEnableFontCache = false;
    frame(2);
    print("ABAB");
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 4);
    PLIM->graphics->bEnableFontCache = true;
    frame(3);
    print("ABAB");
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 1);
    EXPECT_EQ(font->findCacheEntry("ABAB"), row);
    EXPECT_EQ(font->getNumCacheTextures(), 1);
}

TEST_F(FontQuadCacheTest, FontTooTallForACacheRowDrawsGlyphByGlyph) {
    load("huge.tga", {{3, 256, RED}}, 'A');
    ASSERT_EQ(font->fontHeight, 256);
    EXPECT_EQ(font->createCacheTexture(), nullptr);
    frame(1);
    print("AAAA");
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 4);
    EXPECT_EQ(font->getNumCacheTextures(), 0);
    EXPECT_TRUE(rgbIs(at(0, 0), RED));
}

TEST_F(FontQuadCacheTest, GlyphsThatWouldLeaveTheRowAreDrawnOneByOne) {
    // Advance 5 for glyphs 9 wide: 51 of them measure 255 but reach 259.
    font->defaultSpacing = -4;
    loadAB();
    frame(1);
    print(std::string(51, 'A'));
    EXPECT_EQ(font->getNumCacheTextures(), 0);
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES], 51);
    EXPECT_TRUE(rgbIs(at(258, 0), RED));
    // One glyph less fits.
    frame(2);
    print(std::string(50, 'A'));
    EXPECT_EQ(font->getNumCacheTextures(), 1);
    EXPECT_TRUE(rgbIs(at(253, 0), RED));
    // A negative advance would start left of the row.
    font->symbolData[uint8_t('B')].spacing = -12;
    frame(3);
    print("BBBB");
    EXPECT_EQ(cachedTexts(), (std::set<std::string>{std::string(50, 'A')}));
    EXPECT_TRUE(rgbIs(at(-9, 0), GREEN));
}

} // namespace
