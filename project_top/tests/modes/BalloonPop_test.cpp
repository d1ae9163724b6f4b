// Balloon pop on the match harness: a whole one-player match with its
// countdowns, views and end scene; two players with autocannons; the rating;
// the clock's hitch and time scale; a pause in the frame of a countdown tick.
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/ContextManager.h"
#include "input/PlimInput.h"
#include "MatchFixture.h"
#include "util/PlimUtil.h"
#include "widgets/RadialFader.h"
#include "modes/ContextEnding.h"
#include "modes/CountdownClock.h"
#include "modes/GameControllerBalloonPop.h"
#include "modes/PlayerHUD.h"
#include "modes/pages/ContextGameHelp.h"
#include "world/CameraStatic.h"
#include "world/weapons/WeaponAutoGun.h"
#include "world/weapons/WeaponCannonBall.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

typedef GameControllerBalloonPop Pop;

CameraStatic* lastCamera(GameController* match) {
    BasicLink* last = nullptr;
    for (BasicLink* c = match->scene->getCameraBlender()->firstChild; c; c = c->next) last = c;
    return dynamic_cast<CameraStatic*>(last);
}

} // namespace

class BalloonPopTest : public MatchTest {
protected:
    void TearDown() override { clearStack(); }
    Pop* startPop(int players, bool autocannons = false) {
        SaveData& saved = harness->app->saveData;
        saved.players = players;
        saved.bAutocannons = autocannons;
        saved.bInGameMusic = 0;
        saved.bUseMouse = 0;
        harness->log.lines.clear();
        return start<Pop>();
    }
    static bool runUntilState(Pop* match, int state, double seconds) {
        const int frames = int(seconds * 1000.0 / double(harness->periodMs));
        for (int i = 0; i < frames && match->state != state; ++i) harness->step();
        return match->state == state;
    }
    static int balloons(GameController* match) {
        return MatchHarness::liveChildren(match->layer(GameController::LAYER_BALLOONS));
    }
    // (clock, detail) of the log lines of a kind whose detail starts with text.
    static std::vector<std::vector<std::string>> logged(const char* kind, const std::string& text) {
        std::vector<std::vector<std::string>> found;
        for (const std::string& line : harness->log.linesOf(kind)) {
            std::vector<std::string> c = MatchEventLog::columns(line);
            if (c.size() > 3 && c[3] == text) found.push_back(c);
        }
        return found;
    }
};

TEST_F(BalloonPopTest, OnePlayerRoundCountsDownThenTimeWithTheChime) {
    Pop* match = startPop(0);
    EXPECT_EQ(match->playerCount, 1);
    EXPECT_EQ(match->palmCount, 3);
    EXPECT_EQ(match->gameType, GameController::GAMETYPE_BALLOON_POP);
    EXPECT_EQ(match->playerData[0]->color, UColor(0, 0, 255, 255));
    EXPECT_EQ(match->playerData[1]->color, UColor(255, 0, 0, 255));
    EXPECT_EQ(match->playerData[0]->numPalms, 3);
    EXPECT_EQ(harness->liveLayers()[GameController::LAYER_CANNONS], 1);
    Vehicle* cannon = match->playerData[0]->vehicle();
    ASSERT_TRUE(cannon);
    EXPECT_EQ(cannon->position.x, 0.0f);
    EXPECT_TRUE(dynamic_cast<WeaponCannonBall*>(cannon->weapon));
    EXPECT_FALSE(dynamic_cast<WeaponAutoGun*>(cannon->weapon));
    EXPECT_EQ(harness->app->contextManager->fader->target, 0.0f);
    EXPECT_FALSE(match->clock->running);

    ASSERT_TRUE(runUntilState(match, Pop::STATE_PLAYING, 10.0));
    EXPECT_FALSE(match->playerHud[0]->bHidden);
    EXPECT_TRUE(match->playerHud[1]->bHidden); // only the players' displays
    ASSERT_EQ(logged("message", "\"get ready!\"").size(), 1u);
    EXPECT_NEAR(std::stod(logged("message", "\"get ready!\"")[0][1]), 1.0, 0.015);
    EXPECT_NEAR(std::stod(logged("message", "\"round 1 of 10\"")[0][1]), 6.0, 0.025);

    std::vector<float> views;
    views.push_back(lastCamera(match)->position.z);
    EXPECT_EQ(views[0], -320.0f);
    int mostBalloons = 0;
    int expiredFrame = -1;
    for (int i = 0; i < 3200 && expiredFrame < 0; ++i) {
        harness->step();
        mostBalloons = std::max(mostBalloons, balloons(match));
        if (match->clock->expired) expiredFrame = harness->frame - 1;
        // A popped balloon is replaced.
        if (i == 100) match->layer(GameController::LAYER_BALLOONS)->firstChild->bDestroyPending = true;
    }
    ASSERT_GE(expiredFrame, 0);
    EXPECT_EQ(mostBalloons, 1);
    // "time!", no balloons and the chime in the frame the clock ran out.
    EXPECT_EQ(match->state, Pop::STATE_TIME_UP);
    EXPECT_EQ(balloons(match), 0);
    EXPECT_FALSE(match->clock->running);
    ASSERT_EQ(logged("message", "\"time!\"").size(), 1u);
    EXPECT_EQ(std::stoi(logged("message", "\"time!\"")[0][0]), expiredFrame);
    ASSERT_EQ(logged("sound", "clockChime").size(), 1u);
    EXPECT_EQ(std::stoi(logged("sound", "clockChime")[0][0]), expiredFrame);
    const double timeUp = std::stod(logged("message", "\"time!\"")[0][1]);
    EXPECT_NEAR(timeUp, 39.0, 0.03);

    // Five counts a second apart, each tick higher than the one before.
    const auto ticks = logged("sound", "clockTick");
    ASSERT_EQ(ticks.size(), 5u);
    for (int k = 5; k >= 1; --k) {
        SCOPED_TRACE(k);
        const auto shown = logged("message", formatString("\"%d\"", k).c_str());
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NEAR(std::stod(shown[0][1]), timeUp - k, 0.015);
        EXPECT_EQ(std::stod(ticks[5 - k][5]), 1.0 + 0.125 * (5 - k));
        EXPECT_EQ(ticks[5 - k][0], shown[0][0]);
    }

    // Round 2 from a wider view.
    ASSERT_TRUE(runUntilState(match, Pop::STATE_PLAYING, 9.0));
    EXPECT_EQ(match->round, 2);
    EXPECT_NEAR(lastCamera(match)->position.z - views[0], -320.0f / 9.0f, 1e-3f);
}

// Whole matches in 0.04 s frames, to stay quick: every state delay and the
// round's float clock then take a whole number of frames without rounding
// over (at 0.01 s the 3 s and 5 s delays each run one frame over).
class BalloonPopMatchTest : public BalloonPopTest {
protected:
    static void SetUpTestSuite() { startHarness(0.04); }
};

TEST_F(BalloonPopMatchTest, TenRoundsUnderAWideningViewThenTheEndSceneAt389Seconds) {
    Pop* match = startPop(0);
    std::vector<float> views;
    for (int round = 1; round <= Pop::ROUND_COUNT; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(runUntilState(match, Pop::STATE_PLAYING, 40.0));
        EXPECT_EQ(match->round, round);
        views.push_back(lastCamera(match)->position.z);
        if (round == 5) match->playerData[0]->score = 150000;
        ASSERT_TRUE(runUntilState(match, Pop::STATE_TIME_UP, 31.0));
    }
    ASSERT_EQ(views.size(), 10u);
    EXPECT_EQ(views[0], -320.0f);
    EXPECT_EQ(views[9], -640.0f);
    for (size_t i = 1; i < views.size(); ++i) EXPECT_NEAR(views[i] - views[i - 1], -320.0f / 9.0f, 1e-3f);
    EXPECT_EQ(logged("message", "\"round 10 of 10\"").size(), 1u);
    EXPECT_EQ(logged("sound", "clockChime").size(), 10u);
    EXPECT_EQ(logged("sound", "clockTick").size(), 50u);

    // The end scene opens 389 s after onEnter; no eleventh round.
    int frames = 0;
    while (top() == match && frames < 400) {
        harness->step();
        ++frames;
    }
    EXPECT_EQ(logged("message", "\"round 11 of 10\"").size(), 0u);
    ContextEnding* ending = dynamic_cast<ContextEnding*>(top());
    ASSERT_TRUE(ending);
    EXPECT_TRUE(match->bDone);
    EXPECT_EQ(ending->gameType, GameController::GAMETYPE_BALLOON_POP);
    EXPECT_NEAR(match->time, 389.0, 0.08); // two frames
    EXPECT_EQ(harness->app->contextManager->fader->target, 1.0f);
    EXPECT_EQ(match->winner, 0);
    EXPECT_FLOAT_EQ(match->playerData[0]->rating, 0.5f * 0.9f);
}

TEST_F(BalloonPopTest, TwoPlayersWithAutocannonsShareTheIslandAndTheBetterScoreIsRatedHalf) {
    Pop* match = startPop(1, true);
    EXPECT_EQ(match->playerCount, 2);
    EXPECT_TRUE(match->bAutocannons);
    EXPECT_EQ(harness->liveLayers()[GameController::LAYER_CANNONS], 2);
    for (int i = 0; i < 2; ++i) {
        Vehicle* cannon = match->playerData[i]->vehicle();
        ASSERT_TRUE(cannon);
        EXPECT_EQ(cannon->position.x, i == 0 ? -32.0f : 32.0f);
        EXPECT_TRUE(dynamic_cast<WeaponAutoGun*>(cannon->weapon));
    }
    ASSERT_TRUE(runUntilState(match, Pop::STATE_PLAYING, 10.0));
    EXPECT_FALSE(match->playerHud[1]->bHidden);
    harness->step();
    EXPECT_EQ(balloons(match), 2);
    // Kept within the view and above the island.
    for (BasicLink* b = match->layer(GameController::LAYER_BALLOONS)->firstChild; b; b = b->next)
        EXPECT_GE(static_cast<GameObject*>(b)->position.y, match->playerData[0]->pIsland.get()->position.y);

    match->playerData[0]->score = 300000;
    match->playerData[1]->score = 300000;
    match->computeRating();
    EXPECT_EQ(match->winner, 0); // a tie goes to player 0
    EXPECT_FLOAT_EQ(match->playerData[0]->rating, 0.5f);
    match->playerData[1]->score = 300001;
    match->computeRating();
    EXPECT_EQ(match->winner, 1);
    // Not clamped: 400,000 alone rates 1.33.
    EXPECT_FLOAT_EQ(Pop::ratingOf(400000, 1), 400000.0f / 300000.0f);
}

TEST_F(BalloonPopTest, TheClockCountsInGameTimeAndAHitchSetsBothSecondsItPasses) {
    Pop* match = startPop(0);
    CountdownClock* clock = match->clock;
    clock->start(30.0f);
    clock->timeLeft = 5.2f;
    clock->tick(0.0, 1.5);
    EXPECT_FLOAT_EQ(clock->timeLeft, 3.7f);
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(clock->secondPassed(k), k == 4 || k == 5) << k;
    clock->tick(0.0, 0.1);
    EXPECT_FALSE(clock->secondPassed(4));

    // The scene's time scale speeds it up; no match counts at 1.0.
    match->scene->timeScale = 2.0;
    clock->tick(0.0, 0.5);
    EXPECT_FLOAT_EQ(clock->timeLeft, 2.6f);
    EXPECT_TRUE(clock->secondPassed(3));
    harness->app->currentController = nullptr;
    clock->tick(0.0, 0.5);
    harness->app->currentController = match;
    EXPECT_FLOAT_EQ(clock->timeLeft, 2.1f);
    EXPECT_FALSE(clock->expired);
    clock->tick(0.0, 3.0);
    EXPECT_EQ(clock->timeLeft, 0.0f);
    EXPECT_TRUE(clock->expired);
    EXPECT_TRUE(clock->secondPassed(1) && clock->secondPassed(2));
    // The next round starts with no second flagged.
    clock->start(30.0f);
    EXPECT_FALSE(clock->secondPassed(1) || clock->secondPassed(2));
    match->scene->timeScale = 1.0;
}

TEST_F(BalloonPopTest, APauseInTheFrameOfACountPlaysItsTickOnce) {
    Pop* match = startPop(0);
    ASSERT_TRUE(runUntilState(match, Pop::STATE_PLAYING, 10.0));
    // Up to the frame whose tick passes two seconds left.
    while (match->clock->timeLeft - 0.01f > 2.0f) harness->step();
    const SDLKey key = MatchHarness::sdlKeyOf(KEY_PAUSE);
    harness->scheduleKey(harness->frame, key, true);
    harness->scheduleKey(harness->frame + 1, key, false);
    harness->step();
    ASSERT_TRUE(dynamic_cast<ContextGameHelp*>(top()));
    EXPECT_TRUE(match->clock->secondPassed(2));
    harness->steps(100);
    EXPECT_EQ(logged("sound", "clockTick").size(), 4u);
    EXPECT_EQ(logged("message", "\"2\"").size(), 1u);

    harness->scheduleKey(harness->frame, SDLK_ESCAPE, true);
    harness->scheduleKey(harness->frame + 1, SDLK_ESCAPE, false);
    harness->steps(2);
    EXPECT_EQ(top(), match);
    ASSERT_TRUE(runUntilState(match, Pop::STATE_TIME_UP, 3.0));
    const auto ticks = logged("sound", "clockTick");
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_EQ(std::stod(ticks[4][5]), 1.5);
    EXPECT_EQ(logged("message", "\"1\"").size(), 1u);
}
