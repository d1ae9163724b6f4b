// The loader's progress bar, the mouse pointer and the screen-change fader on
// a loaded engine, drawn into the real window where it matters.
#include "app/ContextManager.h"
#include "InjectedInput.h"
#include "widgets/MousePointer.h"
#include "widgets/Percentage.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "render/Quad.h"
#include "widgets/RadialFader.h"
#include "core/ResourceManager.h"
#include "ShellTestEngine.h"
#include "render/Texture.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_opengl.h>

namespace {

class ScreenObjectsTest : public LoadedEngineTest {
protected:
    // The window pixel at (x, y), y from the bottom.
    static UColor pixel(int x, int y) {
        uint8_t p[4] = {};
        PLIM->graphics->flush(); // draws still waiting in the batch
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return UColor(p[0], p[1], p[2], 255);
    }
    // The fader alone over a white frame.
    void drawFader(float value) {
        stack->fader->value = value;
        PLIM->graphics->clear(UColor(255, 255, 255, 255));
        stack->faderLayer->renderContext();
        glFinish();
    }
};

TEST_F(ScreenObjectsTest, TheProgressBarIsCutToTheClampedFraction) {
    Texture* texture = static_cast<Texture*>(PLIM->resourceManager->find("gui-game-progressBar"));
    Percentage bar(texture, 0, 1);
    Quad* full = static_cast<Quad*>(texture->skins[1]);
    Quad* shown = static_cast<Quad*>(bar.bar.pSkin);
    EXPECT_EQ(bar.bar.position.x, -0.5f * full->width); // left ends meet
    bar.setValue(0.5f);
    EXPECT_FLOAT_EQ(shown->width, 0.5f * full->width);
    EXPECT_FLOAT_EQ(shown->uvRect.right, full->uvRect.left + 0.5f * (full->uvRect.right - full->uvRect.left));
    bar.setValue(-1.0f);
    EXPECT_EQ(shown->width, 0.0f);
    bar.setValue(3.0f);
    EXPECT_EQ(shown->width, full->width);
    EXPECT_EQ(bar.value, 3.0f);
    // The bar follows the frame.
    bar.position = V3(10.0f, 20.0f, 0.0f);
    bar.updateVisuals();
    EXPECT_EQ(bar.bar.postXform.m[12], bar.xform.m[12]);
}

TEST_F(ScreenObjectsTest, ThePointerPressesThroughItsFramesWithinAnEighthOfASecond) {
    MousePointer* pointer = stack->pointer;
    Texture* texture = static_cast<Texture*>(PLIM->resourceManager->find("mousePointer"));
    ASSERT_GT(texture->skins.size(), 1u);
    PLIM->input->buttonsNow[0] = 1;
    pointer->tick(0.0, 0.1);
    EXPECT_FLOAT_EQ(pointer->phase, 0.8f);
    pointer->tick(0.0, 0.1);
    EXPECT_EQ(pointer->phase, 1.0f);
    EXPECT_EQ(pointer->pSkin, texture->skins.back());
    PLIM->input->buttonsNow[0] = 0;
    pointer->tick(0.0, 0.2);
    EXPECT_EQ(pointer->phase, 0.0f);
    EXPECT_EQ(pointer->pSkin, texture->skins.front());
}

TEST_F(ScreenObjectsTest, TheFaderMovesTowardsItsTargetAndCoversTheCorners) {
    RadialFader* fader = stack->fader;
    fader->value = 0.0f;
    fader->target = 1.0f;
    fader->tick(0.0, 0.4);
    EXPECT_FLOAT_EQ(fader->value, 0.4f);
    fader->tick(0.0, 0.9);
    EXPECT_EQ(fader->value, 1.0f); // never past the target
    EXPECT_EQ(RadialFader::radiusAt(0.0f, 400.0f), 400.0f);
    EXPECT_EQ(RadialFader::radiusAt(1.0f, 400.0f), 0.0f);

    int w = PLIM->graphics->screenWidth, h = PLIM->graphics->screenHeight;
    drawFader(1.0f);
    for (UColor c : {pixel(0, 0), pixel(w - 1, h - 1), pixel(w / 2, h / 2), pixel(0, h - 1)})
        EXPECT_EQ(c, UColor(0, 0, 0, 255));
    drawFader(0.0f);
    EXPECT_EQ(pixel(0, 0), UColor(255, 255, 255, 255));
    EXPECT_EQ(pixel(w / 2, h / 2), UColor(255, 255, 255, 255));
    // Half closed: black in the corners, the middle still open.
    drawFader(0.5f);
    EXPECT_EQ(pixel(0, 0), UColor(0, 0, 0, 255));
    EXPECT_EQ(pixel(w / 2, h / 2), UColor(255, 255, 255, 255));
    fader->value = fader->target = 0.0f;
}

} // namespace
