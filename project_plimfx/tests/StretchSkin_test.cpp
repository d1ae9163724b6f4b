// Stretched frames on a real texture in a window (Xvfb): the 4 x 4 grid of
// vertices, sizes, and corner, edge and centre cells read back as pixels.
#include "FxExpect.h"
#include "FxWindow.h"
#include "core/Plim.h"
#include "render/Quad.h"
#include "render/Renderable.h"
#include "StretchSkin.h"
#include "TestImages.h"
#include "render/Texture.h"

#include <gtest/gtest.h>

namespace {

class StretchSkinTest : public ::testing::Test {
protected:
    // A 64 x 64 source: 16-pixel corners red, edges blue, centre green.
    void SetUp() override {
        window = new FxWindow();
        std::vector<uint32_t> pixels(64 * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                int edges = (x < 16 || x >= 48) + (y < 16 || y >= 48);
                pixels[size_t(y * 64 + x)] = edges == 2 ? RED : edges == 1 ? BLUE : GREEN;
            }
        TestImages::writeTga("frame.tga", 64, 64, pixels);
        texture = new Texture("frame.tga", 0);
        source = static_cast<Quad*>(texture->skins[0]);
    }
    void TearDown() override {
        texture->deleteMe();
        delete window;
    }
    // One render of the skin in a fresh frame, tinted by colour.
    void draw(StretchSkin& skin, UColor colour = UColor(255, 255, 255, 255)) {
        window->beginFrame();
        Renderable owner;
        owner.bSkipVisibility = true;
        owner.color = colour;
        owner.setup(&skin, nullptr, nullptr, nullptr);
        owner.render();
    }
    static void expectVertex(const Vertex& v, float x, float y, float u, float tv) {
        EXPECT_FLOAT_EQ(v.x, x);
        EXPECT_FLOAT_EQ(v.y, y);
        EXPECT_FLOAT_EQ(v.u, u);
        EXPECT_FLOAT_EQ(v.v, tv);
        EXPECT_FLOAT_EQ(v.z, 0.0f);
    }

    FxWindow* window = nullptr;
    Texture* texture = nullptr;
    Quad* source = nullptr;
};

TEST_F(StretchSkinTest, BordersKeepTheirSizeAroundAStretchedCentre) {
    StretchSkin skin(source);
    skin.setBorders(16, 16, 16, 16);
    EXPECT_FLOAT_EQ(skin.width, 64.0f);
    EXPECT_FLOAT_EQ(skin.height, 64.0f);
    const float q = 1.0f / 256.0f;
    EXPECT_FLOAT_EQ(skin.innerUV.left, 16 * q);
    EXPECT_FLOAT_EQ(skin.innerUV.top, 16 * q);
    EXPECT_FLOAT_EQ(skin.innerUV.right, 48 * q);
    EXPECT_FLOAT_EQ(skin.innerUV.bottom, 48 * q);

    skin.setSize(200, 100);
    const Vertex* v = skin.vertexBuffer.pVertices;
    ASSERT_EQ(skin.vertexBuffer.numVertices, 24);
    // Top strip, column by column: upper row then lower row.
    expectVertex(v[0], -100, 50, 0, 0);
    expectVertex(v[2], -84, 50, 16 * q, 0);
    expectVertex(v[3], -84, 34, 16 * q, 16 * q);
    expectVertex(v[7], 100, 34, 64 * q, 16 * q);
    // Middle and bottom strips.
    expectVertex(v[8], -100, 34, 0, 16 * q);
    expectVertex(v[9], -100, -34, 0, 48 * q);
    expectVertex(v[23], 100, -50, 64 * q, 64 * q);
    EXPECT_EQ(v[5].color, UColor(255, 255, 255, 255));

    draw(skin);
    EXPECT_EQ(PLIM->frameStats[STAT_VERTICES], 24);
    // Centre of every cell: corners 16 x 16, edges 168 long, centre 168 x 68.
    EXPECT_TRUE(rgbIs(window->pixelAt(-92, 42), RED));
    EXPECT_TRUE(rgbIs(window->pixelAt(92, -42), RED));
    EXPECT_TRUE(rgbIs(window->pixelAt(0, 42), BLUE));
    EXPECT_TRUE(rgbIs(window->pixelAt(-92, 0), BLUE));
    EXPECT_TRUE(rgbIs(window->pixelAt(0, 0), GREEN));
    EXPECT_TRUE(rgbIs(window->pixelAt(-100.5f, 0), 0));
    EXPECT_TRUE(rgbIs(window->pixelAt(0, 50.5f), 0));
}

TEST_F(StretchSkinTest, BordersComeAsLeftTopBottomRight) {
    StretchSkin skin(source);
    skin.setBorders(4, 8, 12, 16);
    const float q = 1.0f / 256.0f;
    EXPECT_FLOAT_EQ(skin.innerUV.left, 4 * q);
    EXPECT_FLOAT_EQ(skin.innerUV.top, 8 * q);
    EXPECT_FLOAT_EQ(skin.innerUV.bottom, (64 - 12) * q);
    EXPECT_FLOAT_EQ(skin.innerUV.right, (64 - 16) * q);
    skin.setSize(200, 100);
    const Vertex* v = skin.vertexBuffer.pVertices;
    expectVertex(v[2], -96, 50, 4 * q, 0);          // after the left border
    expectVertex(v[3], -96, 42, 4 * q, 8 * q);      // below the top border
    expectVertex(v[9], -100, -38, 0, (64 - 12) * q); // above the bottom border
}

TEST_F(StretchSkinTest, WithoutBordersTheWholeSourceIsScaledAsOneStrip) {
    StretchSkin skin(source);
    skin.setBorders(0, 0, 0, 0);
    EXPECT_FLOAT_EQ(skin.innerUV.right, source->uvRect.right);
    EXPECT_FLOAT_EQ(skin.innerUV.bottom, source->uvRect.bottom);
    skin.setSize(128, 128);
    draw(skin);
    EXPECT_EQ(PLIM->frameStats[STAT_VERTICES], 8);
    EXPECT_TRUE(rgbIs(window->pixelAt(-60, 60), RED));
    EXPECT_TRUE(rgbIs(window->pixelAt(0, 0), GREEN));
}

TEST_F(StretchSkinTest, BarWithoutTopAndBottomBordersDrawsTheMiddleRow) {
    StretchSkin skin(source);
    skin.setBorders(16, 0, 0, 16);
    skin.setSize(300, 20);
    draw(skin);
    EXPECT_EQ(PLIM->frameStats[STAT_VERTICES], 8);
    // The left and right parts keep 16 units.
    EXPECT_TRUE(rgbIs(window->pixelAt(-149, 9), RED));
    EXPECT_TRUE(rgbIs(window->pixelAt(-135, 0), BLUE));
    EXPECT_TRUE(rgbIs(window->pixelAt(149, 9), RED));
    EXPECT_TRUE(rgbIs(window->pixelAt(0, 0), GREEN));
    EXPECT_TRUE(rgbIs(window->pixelAt(0, 9), BLUE));
}

TEST_F(StretchSkinTest, SizesFallBackToTheSource) {
    StretchSkin skin(source);
    skin.setBorders(8, 8, 8, 8);
    skin.setSize(100, 0);
    EXPECT_FLOAT_EQ(skin.width, 100.0f);
    EXPECT_FLOAT_EQ(skin.height, 64.0f);
    skin.setSize(100, -5);
    EXPECT_FLOAT_EQ(skin.height, 64.0f);
    skin.setBorders(4, 4, 4, 4);
    EXPECT_FLOAT_EQ(skin.width, 64.0f);
    // Smaller than its borders: the inner columns cross, drawn as they are.
    skin.setSize(6, 6);
    EXPECT_FLOAT_EQ(skin.vertexBuffer.pVertices[2].x, 1.0f);
    EXPECT_FLOAT_EQ(skin.vertexBuffer.pVertices[4].x, -1.0f);
}

TEST_F(StretchSkinTest, DrawTintsWithTheOwnersColour) {
    StretchSkin skin(source);
    skin.setBorders(16, 16, 16, 16);
    draw(skin, UColor(0, 0, 0, 255));
    for (int i = 0; i < 24; ++i) EXPECT_EQ(skin.vertexBuffer.pVertices[i].color, UColor(0, 0, 0, 255));
    EXPECT_TRUE(rgbIs(window->pixelAt(0, 0), 0));
}

TEST_F(StretchSkinTest, SourceMustBeAQuad) {
    EXPECT_FATAL(StretchSkin(new Skin()), "sourceSkin!=NULL");
}

} // namespace
