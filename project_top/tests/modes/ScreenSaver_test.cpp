// The fireworks screensaver on the match harness: started by the game-type
// page's button, its island, opening fade, first launch and camera drives;
// presses ignored for 5 s, then a click closes it and a second press changes
// nothing; bursts bounded by the graphics detail.
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/ContextManager.h"
#include "MatchFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "widgets/RadialFader.h"
#include "util/Random.h"
#include "modes/GameControllerScreenSaver.h"
#include "modes/PlayerHUD.h"
#include "modes/pages/ContextGametypes.h"
#include "modes/pages/GameStartButton.h"
#include "world/CameraStatic.h"
#include "world/effects/FireworkFuse.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

typedef GameControllerScreenSaver Saver;

// Controller clock of every firework launch heard, in order.
std::vector<double> launchTimes(const MatchEventLog& log) {
    std::vector<double> times;
    for (const std::string& line : log.linesOf("sound")) {
        std::vector<std::string> c = MatchEventLog::columns(line);
        if (c.size() > 3 && c[3] == "fireworkLaunch") times.push_back(std::stod(c[1]));
    }
    return times;
}

std::vector<CameraStatic*> driveCameras(GameController* match) {
    std::vector<CameraStatic*> found;
    for (BasicLink* c = match->scene->getCameraBlender()->firstChild; c; c = c->next)
        if (CameraStatic* camera = dynamic_cast<CameraStatic*>(static_cast<PlimBase*>(c))) found.push_back(camera);
    return found;
}

class ScreenSaverTest : public MatchTest {
protected:
    void SetUp() override {
        SaveData& saved = harness->app->saveData;
        saved.graphicsDetail = 1;
        harness->log.lines.clear();
    }
    void TearDown() override { clearStack(); }
    static RadialFader* fader() { return harness->app->contextManager->fader; }
    static void runTo(Saver* saver, double time) {
        while (saver->time < time) harness->step();
    }
    // A left click: down in this frame, up in the next.
    static void click() {
        harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
        harness->step();
        harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, false);
        harness->step();
    }
    static void fire(int keySet) {
        harness->scheduleAction(harness->frame, harness->frame + 1, keySet, Vehicle::ACTION_FIRE);
        harness->steps(2);
    }
};

TEST_F(ScreenSaverTest, StartsFromTheGameTypesIgnoresEarlyPressesAndClosesOnceOnAClick) {
    ContextGametypes* types = new ContextGametypes();
    harness->app->contextManager->push(types);
    harness->step();
    EXPECT_FALSE(types->screensaver->bDisabled);
    Random::seed(11);
    PLIM->input->mousePosition[0] = float(PLIM->graphics->fovWidth / 2);
    PLIM->input->mousePosition[1] = float(PLIM->graphics->fovHeight / 2 - 60);
    click();
    Saver* saver = dynamic_cast<Saver*>(harness->app->currentController);
    ASSERT_TRUE(saver);
    harness->controller = saver;
    EXPECT_EQ(top(), saver);
    EXPECT_EQ(saver->palmCount, 3);
    EXPECT_EQ(saver->gameType, GameController::GAMETYPE_NONE);
    EXPECT_EQ(saver->playerData[0]->numPalms, 3);
    EXPECT_EQ(saver->playerData[1]->numPalms, 0);
    ASSERT_TRUE(saver->playerData[0]->pIsland.get());
    EXPECT_EQ(saver->playerData[0]->pIsland.get()->position.x, 0.0f);
    EXPECT_EQ(harness->liveLayers()[GameController::LAYER_AIRPLANES], 0);
    EXPECT_EQ(harness->liveLayers()[GameController::LAYER_CANNONS], 0);
    EXPECT_TRUE(saver->playerHud[0]->bHidden);
    EXPECT_TRUE(saver->playerHud[1]->bHidden);
    // The picture opens from black.
    EXPECT_EQ(fader()->target, 0.0f);
    EXPECT_GT(fader()->value, 0.9f);
    EXPECT_EQ(saver->shotsLeft, 0);

    // Presses in the first 5 s: a click and each player's fire key.
    runTo(saver, 1.0);
    click();
    runTo(saver, 2.0);
    fire(0);
    runTo(saver, 4.9);
    fire(1);
    EXPECT_EQ(saver->state, Saver::STATE_SHOW);
    EXPECT_EQ(fader()->target, 0.0f);
    EXPECT_TRUE(driveCameras(saver).empty());

    // The first launch just after 3.0 s, a burst of one.
    std::vector<double> launches = launchTimes(harness->log);
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_GT(launches[0], 3.0);
    EXPECT_LE(launches[0], 3.011);
    EXPECT_GE(saver->nextLaunchTime - launches[0], 0.5 - 0.011);
    EXPECT_GE(saver->shotsLeft, 1);
    EXPECT_LE(saver->shotsLeft, 14);

    // The drives: one at 5 s, the next at 12 s, each a view of 1 to 3 widths
    // at the left, middle or right, blended over 20 s.
    // Summed frame times may take the 5-s delay one frame over.
    runTo(saver, 5.02);
    EXPECT_EQ(driveCameras(saver).size(), 1u);
    std::vector<std::string> states = harness->log.linesOf("state");
    ASSERT_EQ(states.size(), 1u);
    EXPECT_NEAR(std::stod(MatchEventLog::columns(states[0])[1]), 5.0, 0.021);
    runTo(saver, 11.99);
    EXPECT_EQ(driveCameras(saver).size(), 1u);
    runTo(saver, 12.02);
    EXPECT_EQ(driveCameras(saver).size(), 2u);
    EXPECT_EQ(saver->state, Saver::STATE_DRIVE);
    std::vector<CameraStatic*> cameras = driveCameras(saver);
    ASSERT_GE(cameras.size(), 1u);
    for (CameraStatic* camera : cameras) {
        EXPECT_EQ(camera->blendTime, 20.0);
        const float zoom = -camera->position.z / 320.0f;
        EXPECT_TRUE(zoom == 1.0f || zoom == 2.0f || zoom == 3.0f) << camera->position.z;
        const float side = camera->position.x / (200.0f * zoom);
        EXPECT_TRUE(side == -1.0f || side == 0.0f || side == 1.0f) << camera->position.x;
    }
    EXPECT_GT(launchTimes(harness->log).size(), 1u);

    // A click closes the picture and ends the show 2 s later; a press while
    // it closes does not put the end off.
    click();
    EXPECT_EQ(fader()->target, 1.0f);
    EXPECT_EQ(saver->stateGoto, Saver::STATE_DONE);
    const double closesAt = saver->time + saver->stateLeft;
    runTo(saver, saver->time + 1.0);
    fire(1);
    click();
    EXPECT_NEAR(saver->time + saver->stateLeft, closesAt, 1e-6);
    double lastTime = saver->time;
    while (top() == saver) {
        lastTime = saver->time;
        harness->step();
    }
    EXPECT_NEAR(lastTime, closesAt, 0.011);
    EXPECT_EQ(top(), types);
    EXPECT_EQ(harness->app->currentController, nullptr);
    harness->controller = nullptr;
}

TEST_F(ScreenSaverTest, BurstsHaveAtMostSevenLaunchesAtLowDetailAndFourteenAtHigh) {
    // Drawn frames: the bursts heard are those the controller drew.
    Saver* saver = start<Saver>();
    std::vector<int> drawn; // each new burst's size, drawn as the one before ends
    int before = saver->shotsLeft;
    double due = saver->nextLaunchTime;
    while (saver->time < 25.0) {
        harness->step();
        // A launch moves the next one; only the last of a burst does not
        // leave one shot fewer.
        if (saver->nextLaunchTime != due && saver->shotsLeft >= before) drawn.push_back(saver->shotsLeft);
        before = saver->shotsLeft;
        due = saver->nextLaunchTime;
    }
    // Launches heard, grouped by the pause between them (within a burst at
    // most 0.35 s, between bursts at least 0.5 s).
    std::vector<int> heard;
    double last = -10.0;
    for (double t : launchTimes(harness->log)) {
        if (t - last > 0.42) heard.push_back(0);
        ++heard.back();
        last = t;
    }
    ASSERT_GE(heard.size(), 4u);
    EXPECT_EQ(heard[0], 1);
    for (size_t i = 1; i + 1 < heard.size(); ++i) EXPECT_EQ(heard[i], drawn[i - 1]) << "burst " << i;
    harness->finishMatch();

    // Many bursts, launch after launch without drawing: the bound by detail
    // holds and is reached.
    for (int detail : {0, 1}) {
        harness->app->saveData.graphicsDetail = detail;
        saver = start<Saver>();
        PlimBase* fireworks = saver->layer(GameController::LAYER_FIREWORKS);
        const int most = 7 * detail + 7;
        int largest = 0;
        int bursts = 0;
        for (int launch = 0; launch < 2000; ++launch) {
            saver->time = saver->nextLaunchTime + 0.001;
            const int left = saver->shotsLeft;
            saver->updateRules();
            fireworks->destroyChildren();
            if (saver->shotsLeft < left) continue;
            ++bursts;
            EXPECT_GE(saver->shotsLeft, 1);
            EXPECT_LE(saver->shotsLeft, most) << detail;
            largest = std::max(largest, saver->shotsLeft);
        }
        EXPECT_GT(bursts, 100);
        EXPECT_EQ(largest, most) << detail;
        harness->finishMatch();
    }
}

} // namespace
