// What renderables put on screen, read back from the window: a rotated tinted
// quad, a mosaic across its sub-textures, halved tiles side by side, culling,
// a rolled camera, and the debug overlays of the object under the mouse.
#include "render/Camera.h"
#include "core/Context.h"
#include "render/DrawHelpers.h"
#include "input/EventManager.h"
#include "LogText.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Quad.h"
#include "RenderWindowTest.h"
#include "render/Renderable.h"
#include "render/Texture.h"
#include "TgaFile.h"
#include "util/PlimMath.h"

#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const UColor BLACK(0, 0, 0, 255);

// Quadrants of a 64 x 64 picture: red top left, green top right, blue bottom
// left, white bottom right.
uint32_t quadrants(int x, int y) {
    if (y < 32) return x < 32 ? 0xff0000ffu : 0xff00ff00u;
    return x < 32 ? 0xffff0000u : 0xffffffffu;
}

class RenderPixelTest : public RenderWindowTest {
protected:
    Texture* loadQuadrants() {
        writeTgaFile(folder.root + "/gfx/quadrants.tga", 64, 64, quadrants);
        return new Texture("gfx/quadrants.tga", 0);
    }
    // Some pixel of the 5 x 5 block around (x, y) is near the colour.
    static bool anyNear(float x, float y, UColor expected, int tolerance) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (colorNear(readWorldPixel(x + float(dx), y + float(dy)), expected, tolerance)) return true;
        return false;
    }
};

TEST_F(RenderPixelTest, RotatedTintedQuadShowsItsQuadrantsTurnedAndModulated) {
    Texture* texture = loadQuadrants();
    Renderable r;
    V3 position(100.0f, 50.0f, 0.0f), rotation(0.0f, 0.0f, HALF_PI);
    r.setup(texture->skins[0], &position, &rotation, nullptr);
    r.color = UColor(255, 128, 255, 255);
    r.render();
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES_DRAWN], 1);
    // A quarter turn anticlockwise: the top right quadrant moves to the top left.
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f - 16.0f, 50.0f + 16.0f), UColor(0, 128, 0, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f + 16.0f, 50.0f + 16.0f), UColor(255, 128, 255, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f - 16.0f, 50.0f - 16.0f), UColor(255, 0, 0, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f + 16.0f, 50.0f - 16.0f), UColor(0, 0, 255, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f + 40.0f, 50.0f), BLACK));

    // Opaque white draws the texture as it is, through the same skin.
    clearFrame();
    r.color = UColor(255, 255, 255, 255);
    r.rotation = V3();
    r.updateVisuals();
    r.render();
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f + 16.0f, 50.0f - 16.0f), UColor(255, 255, 255, 255)));
    delete texture;
}

TEST_F(RenderPixelTest, MosaicsDrawEveryCellFromItsSubTexture) {
    // Columns up to 253 green, from 254 red: the first cell edge.
    writeTgaFile(folder.root + "/gfx/strip.tga", 300, 40,
                 [](int x, int) { return x < 254 ? 0xff00ff00u : 0xff0000ffu; });
    Texture texture("gfx/strip.tga", 0);
    Renderable r;
    r.setup(texture.skins[0], nullptr, nullptr, nullptr);
    r.render();
    EXPECT_TRUE(colorNear(readWorldPixel(-148.0f, 0.0f), UColor(0, 255, 0, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(-150.0f + 250.0f, 0.0f), UColor(0, 255, 0, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(-150.0f + 258.0f, 0.0f), UColor(255, 0, 0, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(148.0f, 19.0f), UColor(255, 0, 0, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(152.0f, 0.0f), BLACK));
    EXPECT_EQ(PLIM->frameStats[STAT_TEXTURES_USED], 0); // frame 0 counts nothing
}

TEST_F(RenderPixelTest, FilteredHalvedTilesJoinWithoutASeam) {
    // A 508 x 256 tile halves to 254 x 128 in its 256 x 256 texture; filtered,
    // its edges must show its own colour, not the texels beyond the image.
    const bool bilinear = PLIM->graphics->bBilinearFilter;
    PLIM->graphics->bBilinearFilter = true;
    writeTgaFile(folder.root + "/gfx/tile.tga", 508, 256, [](int, int) { return 0xff804020u; });
    Texture tile("gfx/tile.tga", TEXTURE_HALVE);
    Renderable left, right;
    V3 leftAt(-254.0f, 0.0f, 0.0f), rightAt(254.0f, 0.0f, 0.0f);
    left.setup(tile.skins[0], &leftAt, nullptr, nullptr);
    right.setup(tile.skins[0], &rightAt, nullptr, nullptr);
    left.render();
    right.render();
    const UColor colour(0x20, 0x40, 0x80, 255);
    for (float x : {-2.0f, -1.0f, 0.0f, 1.0f})
        for (float y : {-128.0f, 0.0f, 127.0f})
            EXPECT_TRUE(colorNear(readWorldPixel(x, y), colour)) << x << ", " << y;
    PLIM->graphics->bBilinearFilter = bilinear;
}

TEST_F(RenderPixelTest, ARolledCameraTurnsTheView) {
    class Scene : public Context {
    public:
        void renderContents() override { drawFilledRect(Rect(90.0f, 10.0f, 110.0f, -10.0f), UColor(0, 0, 255, 255)); }
    } scene;
    scene.camera->roll = HALF_PI; // up is world +x
    scene.camera->tick(0.0, 0.0);
    float before[16], after[16];
    PLIM->graphics->getProjectionMatrix(before);
    scene.render();
    PLIM->graphics->getProjectionMatrix(after);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(before[i], after[i]);
    EXPECT_TRUE(colorNear(readWorldPixel(0.0f, 100.0f), UColor(0, 0, 255, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f, 0.0f), BLACK));
}

TEST_F(RenderPixelTest, ImmediateDrawsLeaveTheSkinAlive) {
    Texture* texture = loadQuadrants();
    Skin* skin = texture->skins[0];
    skin->setOrigin(7);
    skin->drawImmediate(V3(-300.0f, 200.0f, 0.0f), UColor(255, 255, 255, 255));
    skin->drawImmediate(V3(-300.0f, 200.0f, 0.0f), UColor(255, 255, 255, 255));
    EXPECT_TRUE(colorNear(readWorldPixel(-300.0f + 8.0f, 200.0f - 8.0f), UColor(255, 0, 0, 255)));
    EXPECT_FLOAT_EQ(skin->width, 64.0f);
    delete texture;
}

TEST_F(RenderPixelTest, TheObjectUnderTheMouseGetsItsDebugOverlaysWhenUnlocked) {
    Texture* texture = loadQuadrants();
    Renderable r;
    r.setup(texture->skins[0], nullptr, nullptr, nullptr);
    PLIM->eventManager->hover.set(&r);
    r.render(); // locked: nothing extra
    EXPECT_TRUE(colorNear(readWorldPixel(-16.0f, 16.0f), UColor(255, 0, 0, 255)));

    PLIM->bDebugLocked = false;
    clearFrame();
    r.render();
    // A quarter-strength white highlight over the picture, then a dashed red circle.
    EXPECT_TRUE(colorNear(readWorldPixel(-16.0f, 16.0f), UColor(255, 64, 64, 255), 4));
    const float radius = r.boundsRadius, step = 6.28f * 0.015625f;
    const float angle = 1.5f * step; // on the first dash
    EXPECT_TRUE(anyNear(radius * cosf(angle), radius * sinf(angle), UColor(128, 0, 0, 255), 6));
    EXPECT_EQ(PLIM->debugLevel, 0); // restored
    // The highlight left the vertices white; the next draw restores the tint.
    r.color = UColor(255, 0, 255, 255);
    PLIM->bDebugLocked = true;
    clearFrame();
    r.render();
    EXPECT_TRUE(colorNear(readWorldPixel(16.0f, -16.0f), UColor(255, 0, 255, 255)));
    delete texture;
}

TEST_F(RenderPixelTest, AfterAVideoModeChangeTexturesComeBackAtTheirNextDraw) {
    Texture* texture = loadQuadrants();
    writeTgaFile(folder.root + "/gfx/strip.tga", 300, 40, [](int, int) { return 0xff00ff00u; });
    Texture* strip = new Texture("gfx/strip.tga", 0);
    Renderable quad, mosaic;
    V3 left(-200.0f, 0.0f, 0.0f), right(100.0f, 100.0f, 0.0f);
    quad.setup(texture->skins[0], &left, nullptr, nullptr);
    mosaic.setup(strip->skins[0], &right, nullptr, nullptr);

    // The engine's restart: mode steps 3 -> 2 -> 1, then the mode set.
    PLIM->changePLIMmode(MODE_INACTIVE);
    PLIM->changePLIMmode(MODE_RESTORE);
    ASSERT_TRUE(PLIM->graphics->restorePresentation());
    PLIM->changePLIMmode(MODE_INACTIVE);
    PLIM->changePLIMmode(MODE_OK);

    clearFrame();
    quad.render();
    mosaic.render();
    EXPECT_TRUE(colorNear(readWorldPixel(-200.0f - 16.0f, 16.0f), UColor(255, 0, 0, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(-200.0f + 16.0f, -16.0f), UColor(255, 255, 255, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f - 140.0f, 100.0f), UColor(0, 255, 0, 255)));
    EXPECT_TRUE(colorNear(readWorldPixel(100.0f + 140.0f, 100.0f), UColor(0, 255, 0, 255)));
    LogText log(logText());
    EXPECT_EQ(log.count("repopulateTexture(): Repopulating texture 'gfx/quadrants.tga'..."), 1);
    EXPECT_EQ(log.count("repopulateTexture(): Repopulating texture 'gfx/strip.tga'..."), 1);
    delete strip;
    delete texture;
}

} // namespace
