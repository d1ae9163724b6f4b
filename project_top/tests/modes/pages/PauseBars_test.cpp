// The pause page's bars are sized in view units: in a window twice the view's
// height they are twice as many pixels high.
#include "MatchFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "ScriptedController.h"
#include "widgets/MenuButton.h"
#include "modes/pages/ContextGameHelp.h"

#include <GL/gl.h>
#include <vector>

namespace {

class PauseBarsTest : public MatchTest {
protected:
    static void SetUpTestSuite() {
        MatchSettings settings;
        // A 320 x 240 view in the 640 x 480 window.
        settings.userSettings = "[PlimGraphics]\nfovWidth=320\nfovHeight=240\n";
        settings.draw = true;
        harness = new MatchHarness(settings);
    }
};

TEST_F(PauseBarsTest, ShownBarsAre96PixelsHighInA480PixelWindowOverA240UnitView) {
    ASSERT_EQ(PLIM->graphics->fovHeight, 240);
    ASSERT_EQ(PLIM->graphics->screenHeight, 480);
    GameController* match = start<ScriptedController>();
    harness->step();
    ContextGameHelp* page = new ContextGameHelp();
    harness->app->contextManager->push(page);
    while (page->time < 0.6) harness->step();
    EXPECT_EQ(page->barInset, ContextGameHelp::BAR_SHOWN);
    EXPECT_EQ(page->title->position, V3(0.0f, 72.0f, 0.0f));

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    ASSERT_EQ(viewport[3], 480);
    std::vector<uint8_t> column(480 * 4);
    // Near the left edge: the labels stand over the middle of this narrow view.
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(10, 0, 1, 480, GL_RGBA, GL_UNSIGNED_BYTE, column.data());
    auto black = [&](int row) { return column[row * 4] == 0 && column[row * 4 + 1] == 0 && column[row * 4 + 2] == 0; };
    int top = 0, bottom = 0;
    while (top < 480 && black(479 - top)) ++top;
    while (bottom < 480 && black(bottom)) ++bottom;
    EXPECT_EQ(top, 96);
    EXPECT_EQ(bottom, 96);

    page->bDone = true;
    harness->step();
    EXPECT_EQ(harness->app->contextManager->getTop(), match);
}

} // namespace
