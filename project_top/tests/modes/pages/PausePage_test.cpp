// The pause page over a running match with the real engine and data: the
// Pause key, the half second in which input is ignored, what dismisses it and
// what does not, the frozen match beneath (its clock and rules stand still),
// Escape, and the bars on the screen.
#include "MatchFixture.h"
#include "widgets/MenuButton.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "RenderableText.h"
#include "ScriptedController.h"
#include "modes/pages/ContextGameHelp.h"

#include <GL/gl.h>
#include <vector>

namespace {

// Counts its rules passes.
class CountingMatch : public ScriptedController {
public:
    void updateRules() override {
        ++rules;
        ScriptedController::updateRules();
    }
    int rules = 0;
};

// Rows of opaque black at the top and at the bottom of the window's middle column.
struct BlackRows {
    int top = 0;
    int bottom = 0;
};

BlackRows blackRowsInTheMiddle() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int height = viewport[3];
    std::vector<uint8_t> column(size_t(height) * 4);
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(viewport[2] / 2, 0, 1, height, GL_RGBA, GL_UNSIGNED_BYTE, column.data());
    auto black = [&](int row) { return column[row * 4] == 0 && column[row * 4 + 1] == 0 && column[row * 4 + 2] == 0; };
    BlackRows rows;
    while (rows.bottom < height && black(rows.bottom)) ++rows.bottom;
    while (rows.top < height && black(height - 1 - rows.top)) ++rows.top;
    return rows;
}

class PausePageTest : public MatchTest {
protected:
    void TearDown() override { clearStack(); }
    // Presses and releases the Pause key; the page is on top afterwards.
    static ContextGameHelp* pause() {
        const SDLKey key = MatchHarness::sdlKeyOf(KEY_PAUSE);
        harness->scheduleKey(harness->frame, key, true);
        harness->scheduleKey(harness->frame + 1, key, false);
        harness->steps(2);
        return dynamic_cast<ContextGameHelp*>(top());
    }
    // Frames until the page's own clock has reached t.
    static void runPageTo(ContextGameHelp* page, double t) {
        while (page->time < t - 1e-9) harness->step();
    }
};

TEST_F(PausePageTest, TheMatchStandsStillUntilANewFireOrClickAfterHalfASecond) {
    CountingMatch* match = start<CountingMatch>();
    MatchHarness::setDrawing(true);
    harness->steps(5);
    // Player 1's fire key is held from before the pause to well after 0.5 s.
    const int fire = harness->app->saveData.keys[Vehicle::ACTION_FIRE][0];
    const SDLKey fireKey = MatchHarness::sdlKeyOf(fire);
    harness->scheduleKey(harness->frame, fireKey, true);
    harness->step();

    ContextGameHelp* page = pause();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->title->caption, "the game is paused");
    EXPECT_EQ(page->resume->caption, "fire to resume");
    EXPECT_FALSE(page->bMousePointer);
    EXPECT_TRUE(page->bEscapeCloses);
    EXPECT_EQ(page->state, ContextGameHelp::STATE_OPENING);
    RenderableText* hint = new RenderableText(0.0f, 0.0f, 0.0f, "hint", harness->app->fontMedium, UColor(0xffffffff));
    page->content->addChild(hint);
    const double frozenAt = match->time;
    const int rulesBefore = match->rules;

    // A click in the first half second does nothing, and the content waits.
    harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
    harness->scheduleMouseButton(harness->frame + 1, SDL_BUTTON_LEFT, false);
    runPageTo(page, 0.45);
    EXPECT_EQ(top(), page);
    EXPECT_EQ(page->state, ContextGameHelp::STATE_OPENING);
    EXPECT_EQ(page->content->parent, nullptr);

    runPageTo(page, 0.6);
    EXPECT_EQ(page->state, ContextGameHelp::STATE_SHOWN);
    EXPECT_EQ(page->content->parent, page);
    EXPECT_EQ(page->barInset, ContextGameHelp::BAR_SHOWN);
    EXPECT_EQ(page->title->position, V3(-160.0f, 192.0f, 0.0f));
    EXPECT_EQ(page->resume->position, V3(160.0f, -192.0f, 0.0f));
    // 48 view units in a window of the view's size.
    BlackRows bars = blackRowsInTheMiddle();
    EXPECT_EQ(bars.top, 48);
    EXPECT_EQ(bars.bottom, 48);

    // The held key still does not dismiss it; its release does not either.
    harness->steps(20);
    harness->scheduleKey(harness->frame, fireKey, false);
    harness->steps(5);
    EXPECT_EQ(page->state, ContextGameHelp::STATE_SHOWN);
    EXPECT_EQ(match->time, frozenAt);
    EXPECT_EQ(match->rules, rulesBefore); // drawn beneath, no rules run

    // A new press closes it: the content goes first, then the bars.
    harness->scheduleKey(harness->frame, fireKey, true);
    harness->scheduleKey(harness->frame + 1, fireKey, false);
    harness->step();
    EXPECT_EQ(page->state, ContextGameHelp::STATE_CLOSING);
    EXPECT_EQ(page->content->firstChild, nullptr);
    EXPECT_EQ(page->barInset, ContextGameHelp::BAR_SHOWN);
    harness->steps(45);
    EXPECT_LT(page->barInset, 0.0f);
    EXPECT_EQ(match->time, frozenAt);
    // Gone 0.5 s after the press; the match ticks again in that frame.
    int frames = 45;
    while (top() == page && frames < 60) {
        harness->step();
        ++frames;
    }
    EXPECT_EQ(top(), match);
    EXPECT_GE(frames, 50);
    EXPECT_LE(frames, 52);
    EXPECT_NEAR(match->time, frozenAt + 0.01, 1e-9);
    EXPECT_GT(match->rules, rulesBefore);
}

TEST_F(PausePageTest, EscapeClosesItAtOnceAndTheMatchGoesOn) {
    GameController* match = start<CountingMatch>();
    harness->steps(3);
    ContextGameHelp* page = pause();
    ASSERT_TRUE(page);
    harness->steps(10);
    const double frozenAt = match->time;
    harness->scheduleKey(harness->frame, SDLK_ESCAPE, true);
    harness->scheduleKey(harness->frame + 1, SDLK_ESCAPE, false);
    harness->step();
    EXPECT_TRUE(page->bDone);
    harness->step();
    EXPECT_EQ(top(), match);
    EXPECT_GT(match->time, frozenAt);
    // Escape went to the page alone: the match asks no quit question.
    harness->steps(3);
    EXPECT_EQ(top(), match);
}

TEST_F(PausePageTest, WithoutAMatchThePageDrawsItselfAlone) {
    harness->app->currentController = nullptr;
    MatchHarness::setDrawing(true);
    ContextGameHelp* page = new ContextGameHelp();
    page->clearColour = UColor(0, 0, 255, 255); // so that only the bars are black
    harness->app->contextManager->push(page);
    runPageTo(page, 0.6);
    BlackRows bars = blackRowsInTheMiddle();
    EXPECT_EQ(bars.top, 48);
    EXPECT_EQ(bars.bottom, 48);
    // A click closes it, and the stack runs empty.
    harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
    harness->scheduleMouseButton(harness->frame + 1, SDL_BUTTON_LEFT, false);
    harness->step();
    EXPECT_EQ(page->state, ContextGameHelp::STATE_CLOSING);
    harness->steps(60);
    EXPECT_EQ(top(), nullptr);
}

} // namespace
