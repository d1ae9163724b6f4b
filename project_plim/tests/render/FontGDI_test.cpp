// The debug bitmap font: its tables, where a line starts, and what glBitmap
// puts into a real window under Xvfb.
#include "render/DebugFontData.h"
#include "DeviceTestEngine.h"
#include "EngineTestFolder.h"
#include "render/FontGDI.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"

#include <gtest/gtest.h>

#include <SDL_opengl.h>
#include <sstream>

namespace {

TEST(DebugFontTables, WidthsAndTellingGlyphs) {
    const char* widths =
        "2 1 3 5 5 5 5 2 2 2 5 3 2 3 1 5 3 3 3 3 3 3 3 3 3 3 1 2 4 3 4 3 "
        "4 3 3 3 3 3 3 3 3 1 3 4 3 5 4 3 3 4 3 3 3 3 3 5 3 3 3 2 5 2 5 3 "
        "2 3 3 3 3 3 2 3 3 1 2 3 2 5 3 3 3 4 3 3 2 3 3 5 3 3 3 3 1 3 4 4";
    std::istringstream in(widths);
    for (int c = 32; c < 128; ++c) {
        int w = 0;
        in >> w;
        EXPECT_EQ(debugFontWidths[c], w) << "code " << c;
    }
    auto rows = [](int c) {
        std::ostringstream s;
        for (int r = 0; r < 9; ++r) s << std::hex << int(debugFontRows[9 * c + r]) << " ";
        return s.str();
    };
    for (int c = 0; c < 32; ++c) {
        EXPECT_EQ(debugFontWidths[c], 1);
        EXPECT_EQ(rows(c), "0 0 0 0 80 0 0 0 0 ");
    }
    EXPECT_EQ(rows(' '), "0 0 0 0 0 0 0 0 0 ");
    EXPECT_EQ(rows('A'), "0 0 a0 a0 a0 e0 a0 a0 40 ");
    EXPECT_EQ(rows('g'), "e0 20 e0 a0 a0 a0 e0 0 0 ");
    EXPECT_EQ(rows(','), "80 40 40 0 0 0 0 0 0 ");
    EXPECT_EQ(rows(127), "0 0 f0 80 80 50 20 0 0 ");
    // Every printable glyph shows something, and nothing beyond its width.
    for (int c = 33; c < 128; ++c) {
        uint8_t all = 0;
        for (int r = 0; r < 9; ++r) all |= debugFontRows[9 * c + r];
        EXPECT_NE(all, 0) << "code " << c;
        EXPECT_EQ(all & uint8_t(0xFF >> debugFontWidths[c]), 0) << "code " << c;
    }
}

TEST(DebugFontTables, LinesStartAtTheirTopLeftCornerInFieldOfViewUnits) {
    int x = 0, y = 0;
    FontGDI::rasterPosition(0, 10, 640, 480, 640, 480, &x, &y);
    EXPECT_EQ(x, -320);
    EXPECT_EQ(y, 221);
    // Integer arithmetic truncating toward zero, the halvings too.
    FontGDI::rasterPosition(5, 7, 801, 601, 640, 480, &x, &y);
    EXPECT_EQ(x, ((5 - 400) * 640) / 801);
    EXPECT_EQ(y, ((300 - 7 - 9) * 480) / 601);
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.writeUserSettings("bTrackMouse=No\n");
        device = new DeviceTestEngine(false);
        font = PLIM->debugFont;
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override { delete device; }
    static int rasterX() {
        GLfloat p[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, p);
        return int(p[0] + 0.5f);
    }
    static bool lit(int x, int y) {
        uint8_t p[4] = {};
        PLIM->graphics->flush(); // draws still waiting in the batch
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
    // The glyph's bits drawn with its lower-left corner at window (x, y).
    static void expectGlyphAt(int code, int x, int y) {
        for (int r = 0; r < 9; ++r)
            for (int col = 0; col < debugFontWidths[code] + 1; ++col) {
                bool bit = col < debugFontWidths[code] && (debugFontRows[9 * code + r] & (0x80 >> col));
                EXPECT_EQ(lit(x + col, y + r), bit) << "code " << code << " row " << r << " col " << col;
            }
    }

    EngineTestFolder folder;
    ManualTickSource ticks;
    DeviceTestEngine* device = nullptr;
    FontGDI* font = nullptr;
};

TEST_F(FontTest, GlyphsAreDrawnWhiteWithTheTextTopAtY) {
    font->print(0, 0, "A%s", "g");
    // The cell's top row is the window's top row (479): the glyph starts at 471.
    expectGlyphAt('A', 0, 471);
    expectGlyphAt('g', 4, 471);
    GLboolean texturing = GL_FALSE;
    glGetBooleanv(GL_TEXTURE_2D, &texturing);
    EXPECT_TRUE(texturing);
}

TEST_F(FontTest, HighBytesDrawThePlaceholderAndControlBytesADot) {
    font->print(10, 100, "\xE9\n\x80");
    int y = 480 - 100 - 9;
    expectGlyphAt(127, 10, y);
    expectGlyphAt('\n', 15, y); // a newline starts no new line
    expectGlyphAt(127, 17, y);
}

TEST_F(FontTest, EachGlyphAdvancesItsWidthPlusOne) {
    font->print(0, 10, "   ");
    EXPECT_EQ(rasterX(), 9);
    font->print(0, 10, "%s", "Mi.");
    EXPECT_EQ(rasterX(), 6 + 2 + 2);
}

} // namespace
