// Textures under Xvfb: texture object sizes under the 256 x 256 simulation and
// their log lines, side-file skins, halving, mosaics with their border texels,
// the spare texels around an image smaller than its texture,
// the per-frame statistics, and reloading after the GL context is lost.
#include "render/MemoryImageFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "render/QuadMosaic.h"
#include "RenderWindowTest.h"
#include "LogText.h"
#include "render/Texture.h"
#include "TgaFile.h"

#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Every pixel names its own place: red and green the column, blue the row.
uint32_t place(int x, int y) { return uint32_t(x & 0xff) | uint32_t(x >> 8) << 8 | uint32_t(y & 0xff) << 16 | 0xff000000u; }

class TextureTest : public RenderWindowTest {
protected:
    // The texels of a texture object, row 0 first.
    static std::vector<uint32_t> texels(Texture* t) {
        std::vector<uint32_t> out(size_t(t->realWidth * t->realHeight));
        glBindTexture(GL_TEXTURE_2D, t->glTexHandle);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
    static uint32_t texel(Texture* t, int x, int y) { return texels(t)[size_t(y * t->realWidth + x)]; }
    static Quad* quad(Texture* t, int i) { return static_cast<Quad*>(t->skins[size_t(i)]); }
    static void expectUV(const UVRect& uv, float l, float t, float r, float b) {
        EXPECT_FLOAT_EQ(uv.left, l);
        EXPECT_FLOAT_EQ(uv.top, t);
        EXPECT_FLOAT_EQ(uv.right, r);
        EXPECT_FLOAT_EQ(uv.bottom, b);
    }
    static void loseContext() {
        PLIM->changePLIMmode(MODE_INACTIVE);
        PLIM->changePLIMmode(MODE_RESTORE);
    }
    void writeImage(const std::string& name, int w, int h) { writeTgaFile(folder.root + "/" + name, w, h, place); }
    void writeSideFile(const std::string& name, const std::string& text) {
        EngineTestFolder::writeFile(folder.root + "/" + name + ".ini", text);
    }
};

TEST_F(TextureTest, SmallImagesGetAWholeTextureOfTheSimulatedSize) {
    writeImage("gfx/small.tga", 100, 60);
    Texture t("gfx/small.tga", TEXTURE_HALVE);
    EXPECT_EQ(t.realWidth, 256);
    EXPECT_EQ(t.realHeight, 256);
    EXPECT_EQ(t.width, 256);
    EXPECT_EQ(t.requestedWidth, 100);
    EXPECT_EQ(t.scaleFactor, 1);
    EXPECT_TRUE(t.bHasAlpha);
    ASSERT_EQ(t.skins.size(), 1u);
    expectUV(quad(&t, 0)->uvRect, 0.0f, 0.0f, 100.0f / 256, 60.0f / 256);
    EXPECT_FLOAT_EQ(quad(&t, 0)->width, 100.0f);
    EXPECT_FLOAT_EQ(quad(&t, 0)->height, 60.0f);
    EXPECT_EQ(quad(&t, 0)->origin, V3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(texel(&t, 99, 59), place(99, 59));

    LogText log(logText());
    int loading = log.find("Texture(): Loading texture 'gfx/small.tga'...");
    ASSERT_GE(loading, 0);
    EXPECT_EQ(log.lines[size_t(loading + 1)], "createEmptyTexture():  Requesting texture: 100x60, format 32856");
    EXPECT_EQ(log.lines[size_t(loading + 2)], "createEmptyTexture():  Note! Texture has been resized to 256x256.");
}

TEST_F(TextureTest, Allow512PicksEachSideFrom256Or512) {
    struct Case { int w, h, realW, realH; } cases[] = {
        {300, 100, 512, 256}, {512, 600, 512, 512}, {256, 256, 256, 256}, {10, 513, 256, 512}};
    for (const Case& c : cases) {
        Texture t(1, 1, 0);
        t.createEmptyTexture(c.w, c.h, TEXTURE_ALLOW512);
        EXPECT_EQ(t.realWidth, c.realW) << c.w << "x" << c.h;
        EXPECT_EQ(t.realHeight, c.realH) << c.w << "x" << c.h;
        EXPECT_EQ(t.requestedWidth, c.w);
    }
}

TEST_F(TextureTest, WithoutTheSimulationTheAskedSizeIsKept) {
    PLIM->graphics->bSimulate256x256TextureHW = false;
    writeImage("gfx/wide.tga", 300, 20);
    Texture t("gfx/wide.tga", 0);
    EXPECT_EQ(t.realWidth, 300);
    EXPECT_EQ(t.realHeight, 20);
    EXPECT_EQ(t.pSubTextureRoot->getNumChildren(), 0u);
    expectUV(quad(&t, 0)->uvRect, 0.0f, 0.0f, 1.0f, 1.0f);
}

TEST_F(TextureTest, SideFileSkinsComeInNumericOrderWithTheirOrigins) {
    writeImage("gfx/sheet.tga", 64, 64);
    writeSideFile("gfx/sheet.tga",
                  "[Skin 0]\nleft=0\ntop=0\nwidth=33\nheight=20\n"
                  "[Skin 2]\nleft=10\ntop=30\nwidth=8\nheight=9\n"
                  "[Skin 1]\nleft=1\ntop=2\nwidth=33\nheight=20\norigin_adjust_x=4\norigin_adjust_y=3\n");
    Texture t("gfx/sheet.tga", 0);
    ASSERT_EQ(t.skins.size(), 3u);
    EXPECT_EQ(quad(&t, 0)->origin, V3(-0.5f, 0.0f, 0.0f));
    EXPECT_EQ(quad(&t, 1)->origin, V3(-4.5f, 3.0f, 0.0f));
    EXPECT_EQ(quad(&t, 2)->origin, V3(0.0f, 0.5f, 0.0f));
    const PixelRect& r = quad(&t, 2)->pixelRect;
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.bottom, 39);
    EXPECT_EQ(r.right, 18);
    expectUV(quad(&t, 2)->uvRect, 10.0f / 256, 30.0f / 256, 18.0f / 256, 39.0f / 256);
    EXPECT_FLOAT_EQ(quad(&t, 2)->width, 8.0f);
    EXPECT_FLOAT_EQ(quad(&t, 2)->height, 9.0f);
    EXPECT_GE(LogText(logText()).find("loadSkins(): Texture contains 3 skins."), 0);
}

TEST_F(TextureTest, OversizedImagesAreHalvedUntilTheyFitAndKeepTheirSkinUnits) {
    writeImage("gfx/big.tga", 600, 200);
    writeSideFile("gfx/big.tga", "[Skin 0]\nleft=0\ntop=0\nwidth=600\nheight=200\n");
    Texture t("gfx/big.tga", TEXTURE_HALVE | TEXTURE_KEEPSOURCE);
    EXPECT_EQ(t.scaleFactor, 4);
    EXPECT_EQ(t.width, 1024);
    EXPECT_EQ(t.height, 1024);
    expectUV(quad(&t, 0)->uvRect, 0.0f, 0.0f, 600.0f / 1024, 200.0f / 1024);
    EXPECT_FLOAT_EQ(quad(&t, 0)->width, 600.0f);
    EXPECT_FLOAT_EQ(quad(&t, 0)->height, 200.0f);
    ASSERT_NE(t.pSavedSourceData, nullptr); // the halved image
    EXPECT_EQ(t.pSavedSourceData->width, 150);
    EXPECT_EQ(t.pSavedSourceData->height, 50);

    // The lost texture comes back at its next bind, at the same scale.
    std::vector<uint32_t> before = texels(&t);
    loseContext();
    EXPECT_EQ(t.glTexHandle, 0u);
    t.bind();
    EXPECT_NE(t.glTexHandle, 0u);
    EXPECT_EQ(t.scaleFactor, 4);
    EXPECT_EQ(t.width, 1024);
    std::vector<uint32_t> after = texels(&t);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 150; ++x)
            ASSERT_EQ(after[size_t(y * 256 + x)], before[size_t(y * 256 + x)]) << x << ", " << y;

    LogText log(logText());
    EXPECT_GE(log.find("halveSize(): Halving texture size (original size: 600x200)"), 0);
    EXPECT_GE(log.find("halveSize(): Halving texture size (original size: 300x100)"), 0);
    EXPECT_GE(log.find("repopulateTexture(): Repopulating texture 'gfx/big.tga'..."), 0);
}

TEST_F(TextureTest, WideImagesSplitIntoSubTexturesWithBorderTexels) {
    writeImage("gfx/sky.tga", 257, 100);
    Texture t("gfx/sky.tga", 0);
    ASSERT_EQ(t.pSubTextureRoot->getNumChildren(), 2u);
    Texture* left = static_cast<Texture*>(t.pSubTextureRoot->getChild(0));
    Texture* right = static_cast<Texture*>(t.pSubTextureRoot->getChild(1));
    EXPECT_TRUE(left->bHasAlpha);
    std::vector<uint32_t> a = texels(left), b = texels(right);
    EXPECT_EQ(a[0], place(0, 0)); // column 0 repeated
    for (int x = 1; x <= 255; x += 127)
        EXPECT_EQ(a[size_t(99 * 256 + x)], place(x - 1, 99)) << x;
    for (int x = 0; x <= 3; ++x)
        EXPECT_EQ(b[size_t(x)], place(253 + x, 0)) << x;
    EXPECT_EQ(b[4], place(256, 0)); // column 256 repeated
    EXPECT_EQ(b[size_t(99 * 256 + 4)], place(256, 99));

    ASSERT_EQ(t.skins.size(), 1u);
    QuadMosaic* mosaic = static_cast<QuadMosaic*>(t.skins[0]);
    EXPECT_EQ(mosaic->columns, 2);
    EXPECT_EQ(mosaic->rows, 1);
    EXPECT_FLOAT_EQ(mosaic->cells[0]->width, 254.0f);
    EXPECT_FLOAT_EQ(mosaic->cells[1]->width, 3.0f);
    EXPECT_FLOAT_EQ(mosaic->width, 257.0f);
    EXPECT_FLOAT_EQ(mosaic->height, 100.0f);
    EXPECT_EQ(mosaic->cells[0]->pixelRect.left, 1);
    EXPECT_EQ(mosaic->cells[0]->pixelRect.right, 255);
    EXPECT_EQ(mosaic->cells[1]->pixelRect.left, 1);
    EXPECT_EQ(mosaic->cells[1]->pixelRect.right, 4);
    EXPECT_EQ(mosaic->cells[1]->pTexture, right);
    EXPECT_EQ(right->skins.back(), mosaic->cells[1]); // owned by the sub-texture

    LogText log(logText());
    EXPECT_GE(log.find("Texture(): Mosaic axis: X "), 0);
    EXPECT_GE(log.find("Texture(): Created 2 subTextures."), 0);
}

TEST_F(TextureTest, BothAxesSplitAndSkinsPickTheirCells) {
    writeImage("gfx/map.tga", 300, 300);
    writeSideFile("gfx/map.tga",
                  "[Skin 0]\nleft=250\ntop=10\nwidth=10\nheight=20\norigin_adjust_x=2\n"
                  "[Skin 1]\nleft=0\ntop=0\nwidth=300\nheight=300\n");
    Texture t("gfx/map.tga", 0);
    ASSERT_EQ(t.pSubTextureRoot->getNumChildren(), 4u);
    Texture* topLeft = static_cast<Texture*>(t.pSubTextureRoot->getChild(0));
    Texture* bottomRight = static_cast<Texture*>(t.pSubTextureRoot->getChild(3));
    EXPECT_EQ(texel(topLeft, 1, 1), place(0, 0));
    EXPECT_EQ(texel(topLeft, 0, 1), place(0, 0)); // left edge repeated
    EXPECT_EQ(texel(topLeft, 1, 0), place(0, 0)); // top edge repeated
    EXPECT_EQ(texel(topLeft, 255, 255), place(254, 254));
    EXPECT_EQ(texel(bottomRight, 0, 0), place(253, 253));
    EXPECT_EQ(texel(bottomRight, 46, 46), place(299, 299));
    EXPECT_EQ(texel(bottomRight, 47, 10), place(299, 263)); // right edge repeated
    EXPECT_EQ(texel(bottomRight, 10, 47), place(263, 299)); // bottom edge repeated

    // Skin 0 straddles the first column boundary at 254.
    QuadMosaic* small = static_cast<QuadMosaic*>(t.skins[0]);
    EXPECT_EQ(small->columns, 2);
    EXPECT_EQ(small->rows, 1);
    EXPECT_FLOAT_EQ(small->width, 10.0f);
    EXPECT_FLOAT_EQ(small->cells[0]->width, 4.0f);
    EXPECT_EQ(small->origin, V3(-2.0f, 0.0f, 0.0f));
    QuadMosaic* whole = static_cast<QuadMosaic*>(t.skins[1]);
    EXPECT_EQ(whole->cellCount, 4);
    EXPECT_FLOAT_EQ(whole->width, 300.0f);
    EXPECT_FLOAT_EQ(whole->height, 300.0f);
    EXPECT_EQ(whole->cells[3]->pTexture, bottomRight);

    // After a lost context the first bind of any cell reloads every cell in place.
    loseContext();
    bottomRight->bind();
    EXPECT_EQ(t.pSubTextureRoot->getNumChildren(), 4u);
    EXPECT_NE(topLeft->glTexHandle, 0u);
    EXPECT_EQ(texel(topLeft, 255, 255), place(254, 254));
    EXPECT_EQ(texel(bottomRight, 46, 46), place(299, 299));
    EXPECT_EQ(LogText(logText()).count("repopulateTexture(): Repopulating texture 'gfx/map.tga'..."), 1);
}

TEST_F(TextureTest, TexelsAroundASmallerImageRepeatItsEdges) {
    // Filtering at a skin's edge reads the texel beyond it, and GL_REPEAT puts
    // the texture's last column and row before the first.
    writeImage("gfx/small.tga", 100, 60);
    writeImage("gfx/wide.tga", 510, 100); // halves to 255 x 50: one spare column
    Texture small("gfx/small.tga", TEXTURE_HALVE);
    Texture wide("gfx/wide.tga", TEXTURE_HALVE);
    auto expectEdgesRepeated = [](Texture* t, int w, int h) {
        std::vector<uint32_t> all = texels(t);
        auto at = [&](int x, int y) { return all[size_t(y * 256 + x)]; };
        const bool wrapX = w < 255, wrapY = h < 255;
        for (int y = 0; y < h; ++y) {
            ASSERT_EQ(at(w, y), at(w - 1, y)) << "row " << y;
            ASSERT_TRUE(!wrapX || at(255, y) == at(0, y)) << "row " << y;
        }
        for (int x = 0; x < w; ++x) {
            ASSERT_EQ(at(x, h), at(x, h - 1)) << "column " << x;
            ASSERT_TRUE(!wrapY || at(x, 255) == at(x, 0)) << "column " << x;
        }
        EXPECT_EQ(at(w, h), at(w - 1, h - 1));
        EXPECT_TRUE(!wrapX || at(255, h) == at(0, h - 1));
        EXPECT_TRUE(!wrapY || at(w, 255) == at(w - 1, 0));
        EXPECT_TRUE(!wrapX || !wrapY || at(255, 255) == at(0, 0));
    };
    expectEdgesRepeated(&small, 100, 60);
    EXPECT_EQ(texel(&small, 100, 0), place(99, 0));
    EXPECT_EQ(texel(&small, 255, 59), place(0, 59));
    expectEdgesRepeated(&wide, 255, 50);

    loseContext();
    small.bind();
    wide.bind();
    expectEdgesRepeated(&small, 100, 60);
    expectEdgesRepeated(&wide, 255, 50);
}

TEST_F(TextureTest, OnlyABoundTextureIsReloadedAndTheNameKeepsItsCase) {
    writeImage("gfx/Mixed.TGA", 16, 16);
    writeImage("gfx/unused.tga", 16, 16);
    Texture used("gfx/Mixed.TGA", 0);
    Texture unused("gfx/unused.tga", 0);
    EXPECT_EQ(used.name, "gfx/Mixed.TGA");
    loseContext();
    EXPECT_EQ(unused.glTexHandle, 0u);
    used.bind();
    EXPECT_EQ(texel(&used, 15, 15), place(15, 15));
    LogText log(logText());
    EXPECT_GE(log.find("repopulateTexture(): Repopulating texture 'gfx/Mixed.TGA'..."), 0);
    EXPECT_LT(log.find("repopulateTexture(): Repopulating texture 'gfx/unused.tga'..."), 0);
}

TEST_F(TextureTest, BlankTexturesKeepAnImageAndClearUploadsOnlyWhole) {
    Texture t(256, 256, TEXTURE_KEEPSOURCE);
    ASSERT_NE(t.pSavedSourceData, nullptr);
    EXPECT_EQ(t.name, "");
    t.clear(nullptr, true);
    EXPECT_EQ(texel(&t, 7, 7), 0x00ffffffu);
    PixelRect area(0, 0, 8, 8);
    t.clear(&area, false); // the kept image only
    EXPECT_EQ(t.pSavedSourceData->pixel(7, 7)[3], 0);
    EXPECT_EQ(t.pSavedSourceData->pixel(7, 7)[0], 0);
    EXPECT_EQ(texel(&t, 7, 7), 0x00ffffffu);
    loseContext();
    t.bind(); // comes back with undefined contents, and no reload line
    EXPECT_NE(t.glTexHandle, 0u);
    EXPECT_LT(LogText(logText()).findPrefix("repopulateTexture()"), 0);
}

TEST_F(TextureTest, ABindCountsTheTextureOncePerFrame) {
    Texture t(16, 16, 0);
    PLIM->frameCount = 5;
    t.bind();
    t.bind();
    EXPECT_EQ(PLIM->frameStats[STAT_TEXTURES_USED], 1);
    EXPECT_EQ(PLIM->frameStats[STAT_TEXTURE_PIXELS], 256 * 256);
    PLIM->frameCount = 6;
    t.bind();
    EXPECT_EQ(PLIM->frameStats[STAT_TEXTURES_USED], 2);
    EXPECT_EQ(t.lastUsedFrame, 6);
}

TEST_F(TextureTest, QuadsFitTheShownPartOfTheirTexture) {
    Texture t(256, 256, 0);
    Quad q;
    q.pTexture = &t;
    q.fitToTexture();
    EXPECT_FLOAT_EQ(q.width, 256.0f);
    EXPECT_FLOAT_EQ(q.vertexBuffer.pVertices[0].x, -128.0f);
    EXPECT_FLOAT_EQ(q.vertexBuffer.pVertices[0].y, 128.0f);
    EXPECT_FLOAT_EQ(q.vertexBuffer.pVertices[3].x, 128.0f);
    EXPECT_FLOAT_EQ(q.vertexBuffer.pVertices[3].y, -128.0f);
    q.uvRect = UVRect(0.25f, 0.5f, 0.75f, 0.25f); // bottom above top: the height is absolute
    q.fitToTexture();
    EXPECT_FLOAT_EQ(q.width, 128.0f);
    EXPECT_FLOAT_EQ(q.height, 64.0f);
    expectUV(t.pixelRectToUV(PixelRect(64, 32, 96, 128)), 0.25f, 0.125f, 0.5f, 0.375f);
}

// Fatal cases each run in a fresh process (the window is re-created there).
class TextureDeathTest : public TextureTest {};

TEST_F(TextureDeathTest, BadSideFilesAndUploadsAreFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    writeImage("gfx/a.tga", 64, 32);
    writeSideFile("gfx/a.tga", "[Skin 1]\nleft=0\ntop=0\nwidth=8\nheight=8\n[Skin 2]\nleft=0\ntop=0\nwidth=8\nheight=8\n");
    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            Texture t("gfx/a.tga", 0);
        },
        "The side file 'gfx/a.tga.ini' cannot be used: line 6 starts section \\[Skin 2\\], but the 2 sections of a "
        "side file must be \\[Skin 0\\] to \\[Skin 1\\]\\.");

    writeImage("gfx/b.tga", 64, 32);
    writeSideFile("gfx/b.tga", "[Skin 0]\nleft=60\ntop=0\nwidth=8\nheight=8\n");
    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            Texture t("gfx/b.tga", 0);
        },
        "Skin 0 \\(left 60, top 0, width 8, height 8\\) lies outside the 64x32 image 'gfx/b.tga'.");

    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            MemoryImageFile image(8, 8);
            Texture t(16, 16, 0);
            PixelRect r(0, 0, 4, 4);
            PixelPoint at(-1, 0);
            t.copyImageData(&image, &r, &at);
        },
        "Assertion failed.\n Statement: destPoint->x>=0");

    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            Texture t;
        },
        "Empty constructor called \\(tried to serialize\\?\\)\n Function: Texture\\(\\)");
}

} // namespace
