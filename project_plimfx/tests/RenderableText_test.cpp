// Timed pictures and text labels without a window: delays, fades, skipping,
// and deletion by the parent's walk; drawing is seen through the engine's
// renderable counter. The shadow's alpha is read back in a window (Xvfb).
#include "BlockGlyphs.h"
#include "FontQuad.h"
#include "FxWindow.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "RenderableText.h"
#include "RenderableTimed.h"

#include <gtest/gtest.h>

#include <SDL_opengl.h>

namespace {

class TimedTest : public BlockFontTest {
protected:
    void SetUp() override {
        BlockFontTest::SetUp();
        glyphs->addAll("Hi", 5, 8);
    }
    // Renderables the object drew.
    int draws(PlimBase& object) {
        PLIM->frameStats[STAT_RENDERABLES] = 0;
        object.render();
        return PLIM->frameStats[STAT_RENDERABLES];
    }
};

TEST_F(TimedTest, LabelShowsInTheTickItsDelayRunsOut) {
    RenderableText label(10, 20, 0, "Hi", font, UColor(255, 255, 255, 255));
    EXPECT_FLOAT_EQ(label.xform.m[12], 10.0f);
    EXPECT_FLOAT_EQ(label.xform.m[13], 20.0f);
    label.delay = 1.0;
    for (int tick = 1; tick <= 3; ++tick) {
        label.tick(0.0, 0.25);
        EXPECT_EQ(draws(label), 0) << tick;
    }
    label.tick(0.0, 0.25);
    EXPECT_EQ(label.elapsed, 0.25);
    EXPECT_EQ(draws(label), 2);
    label.bHidden = true;
    EXPECT_EQ(draws(label), 0);
}

TEST_F(TimedTest, LabelFadesInAndOut) {
    RenderableText label(0, 0, 0, "Hi", font, UColor(255, 255, 255, 255));
    label.fadeInTime = 0.5;
    label.fadeOutTime = 0.5;
    label.duration = 2.0;
    const struct {
        double elapsed;
        int alpha;
    } steps[] = {{0.25, 127}, {0.5, 255}, {1.5, 255}, {1.75, 127}, {2.0, 0}};
    double at = 0.0;
    for (const auto& s : steps) {
        label.tick(0.0, s.elapsed - at);
        at = s.elapsed;
        EXPECT_EQ(label.color.a, s.alpha) << s.elapsed;
    }
    EXPECT_EQ(draws(label), 0); // over
    EXPECT_FALSE(label.bDestroyPending);
    label.tick(0.0, 0.25);
    EXPECT_TRUE(label.bDestroyPending);
}

TEST_F(TimedTest, LabelWithoutFadesKeepsItsAlpha) {
    RenderableText label(0, 0, 0, "Hi", font, UColor(255, 255, 255, 90));
    label.duration = 1.0;
    label.tick(0.0, 0.5);
    EXPECT_EQ(label.color.a, 90);
    label.tick(0.0, 5.0);
    EXPECT_EQ(label.elapsed, 1.0); // limited to the duration
}

TEST_F(TimedTest, FinishedLabelWithoutAutoDeleteWaitsForNewText) {
    RenderableText label(0, 0, 0, "Hi", font, UColor(255, 255, 255, 255));
    label.bAutoDelete = false;
    label.duration = 0.5;
    label.tick(0.0, 1.0);
    label.tick(0.0, 1.0);
    EXPECT_FALSE(label.bDestroyPending);
    EXPECT_EQ(draws(label), 0);
    label.setText("i", 2.0, 0.0);
    EXPECT_EQ(label.elapsed, 0.0);
    EXPECT_EQ(draws(label), 1);
}

TEST_F(TimedTest, SkipStartsTheFadeOut) {
    RenderableText label(0, 0, 0, "Hi", font, UColor(255, 255, 255, 255));
    label.fadeOutTime = 0.5;
    label.duration = 10.0;
    label.tick(0.0, 3.0);
    label.skip();
    EXPECT_EQ(label.duration, 3.5);
    label.tick(0.0, 0.25);
    EXPECT_EQ(label.color.a, 127);
    label.delay = 4.0;
    label.skip(); // already fading: only the delay changes
    EXPECT_EQ(label.duration, 3.5);
    EXPECT_EQ(label.delay, 0.0);

    RenderableText empty(0, 0, 0, "", font, UColor(255, 255, 255, 255));
    empty.delay = 2.0;
    empty.skip();
    EXPECT_EQ(empty.delay, 2.0);
    EXPECT_EQ(empty.duration, 999999.0);
}

TEST_F(TimedTest, TimedPictureFadesAndIsDeletedByItsParent) {
    PlimBase parent;
    RenderableTimed* picture = new RenderableTimed();
    picture->color = UColor(255, 255, 255, 10);
    picture->delay = 0.5;
    picture->duration = 1.0;
    picture->fadeOutTime = 0.5;
    parent.addChild(picture);

    parent.tick(0.0, 0.25);
    EXPECT_EQ(draws(*picture), 0);
    parent.tick(0.0, 0.25); // the delay runs out; elapsed 0.25
    EXPECT_EQ(picture->color.a, 255);
    EXPECT_EQ(draws(*picture), 1);
    parent.tick(0.0, 0.5);
    EXPECT_EQ(picture->color.a, 127);
    parent.tick(0.0, 0.5); // past the duration: alpha limited to 0, drawn once more
    EXPECT_EQ(picture->elapsed, 1.25);
    EXPECT_EQ(picture->color.a, 0);
    EXPECT_EQ(parent.getNumChildren(), 1u);
    parent.tick(0.0, 0.1);
    EXPECT_EQ(parent.getNumChildren(), 0u);
}

TEST_F(TimedTest, TimedPictureWithoutFadesIsOpaque) {
    RenderableTimed picture;
    picture.color = UColor(255, 255, 255, 10);
    picture.tick(0.0, 0.1);
    EXPECT_EQ(picture.color.a, 255);
    picture.fadeInTime = 1.0;
    picture.tick(0.0, 0.4);
    EXPECT_EQ(picture.color.a, 127);
}

// The shadow: black at a quarter of the label's alpha, 2 units right and down.
using LabelShadowTest = FontWindowTest;

TEST_F(LabelShadowTest, ShadowAlphaFollowsTheLabel) {
    load("w.tga", {{4, 4, 0xFFFFFFFF}}, 'W');
    PLIM->graphics->bTextShadows = true;
    auto shadowPixel = [&](uint8_t alpha) {
        window->beginFrame();
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        RenderableText label(0, 0, 0, "W", font, UColor(255, 255, 255, alpha));
        label.printFlags = 2;
        label.render();
        return window->pixelAt(5.5f, -5.5f);
    };
    EXPECT_NEAR(shadowPixel(255).r, 255 - 64, 2);
    EXPECT_EQ(shadowPixel(0).r, 255);
}

} // namespace
