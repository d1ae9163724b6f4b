// The title scene on the harness: the whole 32 s story (logo, messages, the
// bomb's path onto the palm, fade, removal), a long frame over two events, a
// pause that leaves one set, and a click that skips it.
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/ContextManager.h"
#include "InvasionFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "widgets/RadialFader.h"
#include "modes/ContextLogo.h"
#include "modes/Messenger.h"
#include "modes/PlayerHUD.h"
#include "modes/pages/ContextGameHelp.h"
#include "world/weapons/Bomb.h"

#include <cmath>

class TitleSceneTest : public InvasionTest {
protected:
    void TearDown() override { clearStack(); }
    ContextLogo* show() {
        harness->log.lines.clear();
        ContextLogo* logo = new ContextLogo();
        harness->app->contextManager->push(logo);
        harness->step();
        return logo;
    }
    static bool onTop(Context* screen) { return harness->app->contextManager->getTop() == screen; }
    static Bomb* bomb(ContextLogo* logo) {
        BasicLink* first = logo->layer(GameController::LAYER_BOMBS)->firstChild;
        return first ? dynamic_cast<Bomb*>(static_cast<PlimBase*>(first)) : nullptr;
    }
};

TEST_F(TitleSceneTest, TheStoryRunsThirtyTwoSecondsAndTheBombFallsOntoThePalm) {
    ContextLogo* logo = show();
    EXPECT_EQ(harness->app->currentController, logo);
    EXPECT_EQ(logo->playerCount, 1);
    EXPECT_FALSE(logo->bLimitBombRange);
    EXPECT_FALSE(logo->bEscapeAsksQuit);
    EXPECT_TRUE(logo->bBackKeysClose);
    EXPECT_EQ(MatchHarness::liveChildren(logo->layer(GameController::LAYER_ISLANDS)), 1);
    EXPECT_EQ(MatchHarness::liveChildren(logo->layer(GameController::LAYER_CANNONS)), 2);
    for (int i = 0; i < GameController::PLAYERS; ++i) {
        Vehicle* cannon = logo->playerData[i]->vehicle();
        ASSERT_TRUE(cannon);
        EXPECT_EQ(cannon->position.x, -ContextLogo::HIDDEN_X);
        EXPECT_FALSE(cannon->bControlsEnabled);
        EXPECT_FALSE(cannon->weapon);
        EXPECT_FALSE(logo->playerHud[i]->bShowFinder);
    }
    ASSERT_EQ(logo->playerData[0]->numPalms, 1);
    GameObject* palm = logo->playerData[0]->palms[0].get();
    ASSERT_TRUE(palm);
    EXPECT_EQ(harness->app->contextManager->fader->target, 0.0f); // opening from black
    EXPECT_EQ(logo->logo->color.a, 0);

    harness->runSeconds(3.5);
    EXPECT_NEAR(logo->logo->color.a, 127, 2);
    harness->runSeconds(1.0);
    EXPECT_EQ(logo->logo->color.a, 255);
    EXPECT_EQ(logo->scene->getCameraBlender()->getNumChildren(), 0);
    harness->runSeconds(2.0); // 6.5 s
    EXPECT_EQ(logo->scene->getCameraBlender()->getNumChildren(), 1);
    harness->runSeconds(1.0);
    EXPECT_EQ(logo->logo->position.x, ContextLogo::HIDDEN_X);

    while (!bomb(logo) && logo->time < 20.0) harness->step();
    ASSERT_TRUE(bomb(logo));
    const double dropped = logo->time;
    EXPECT_NEAR(dropped, 19.0, 0.011);
    const float height = float(PLIM->graphics->screenHeight);
    EXPECT_EQ(height, 480.0f);
    EXPECT_NEAR(bomb(logo)->position.y - palm->position.y, 480.0f, 2.0f);
    EXPECT_NEAR(palm->position.x - bomb(logo)->position.x, 701.1f, 3.0f);
    EXPECT_EQ(soundCount("bombWhistle"), 1u);
    const V3 start = ContextLogo::bombStart(palm->position.x, palm->position.y, 480.0f);
    EXPECT_NEAR(palm->position.x - start.x, 701.1f, 0.05f);

    while (palm->state == Palm::STATE_STANDING && logo->time < 24.0) harness->step();
    EXPECT_NE(palm->state, Palm::STATE_STANDING);
    EXPECT_NEAR(logo->time - dropped, 2.74, 0.2); // the crown is hit a little earlier

    while (onTop(logo) && logo->time < 31.0) harness->step();
    EXPECT_EQ(harness->app->contextManager->fader->target, 1.0f);
    const char* lines[] = {"deep in the south pacific...", "everything is peaceful", "until...", "uh-oh!",
                           "this means war!"};
    const double at[] = {10.0, 13.0, 16.0, 23.0, 25.0};
    for (int i = 0; i < 5; ++i) {
        const std::vector<double> times = messageTimes(lines[i]);
        ASSERT_EQ(times.size(), 1u) << lines[i];
        EXPECT_NEAR(times[0], at[i], 0.011) << lines[i];
    }
    double last = 0.0;
    for (int i = 0; i < 300 && onTop(logo); ++i) {
        last = logo->time;
        harness->step();
    }
    EXPECT_NEAR(last, 32.0, 0.02); // removed (and deleted) the frame after
    EXPECT_FALSE(harness->app->contextManager->getTop());
    EXPECT_FALSE(harness->app->currentController);
}

TEST_F(TitleSceneTest, ALongFrameRunsBothEventsInOrder) {
    ContextLogo* logo = show();
    logo->storyTime = 15.5;
    logo->time = 19.5; // "until..." at 16, then the bomb at 19
    logo->updateRules();
    ASSERT_TRUE(bomb(logo));
    const std::string log = harness->log.text();
    const size_t until = log.find("\"until...\"");
    const size_t whistle = log.find("bombWhistle");
    ASSERT_NE(until, std::string::npos);
    ASSERT_NE(whistle, std::string::npos);
    EXPECT_LT(until, whistle);
    EXPECT_EQ(log.find("everything is peaceful"), std::string::npos);
}

TEST_F(TitleSceneTest, APauseLeavesOneSetAndAClickSkipsToTheTopRight) {
    ContextLogo* logo = show();
    harness->runSeconds(1.5);
    harness->scheduleKey(harness->frame, SDLK_PAUSE, true);
    harness->scheduleKey(harness->frame + 3, SDLK_PAUSE, false);
    harness->steps(2);
    Context* page = harness->app->contextManager->getTop();
    ASSERT_TRUE(dynamic_cast<ContextGameHelp*>(page));
    page->bDone = true;
    harness->steps(2);
    ASSERT_TRUE(onTop(logo));
    EXPECT_EQ(MatchHarness::liveChildren(logo->layer(GameController::LAYER_ISLANDS)), 1);
    EXPECT_EQ(MatchHarness::liveChildren(logo->layer(GameController::LAYER_PALMS)), 1);
    EXPECT_EQ(MatchHarness::liveChildren(logo->layer(GameController::LAYER_CANNONS)), 2);
    EXPECT_LT(harness->app->contextManager->fader->value, 1.0f); // no second fade-in

    harness->scheduleMouseButton(harness->frame, 1, true);
    harness->scheduleMouseButton(harness->frame + 2, 1, false);
    harness->steps(2);
    EXPECT_FALSE(harness->app->contextManager->getTop());
    EXPECT_FALSE(harness->app->currentController);
    const float* pointer = PLIM->input->mousePosition;
    EXPECT_EQ(pointer[0], float(PLIM->graphics->fovWidth) - 48.0f);
    EXPECT_EQ(pointer[1], float(PLIM->graphics->fovHeight) - 32.0f);
}
