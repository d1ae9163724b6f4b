// A match on the harness driven from outside: scripted SDL events arrive in
// their frames and frames keep their time, real X key events (xdotool) reach
// both vehicles through their own key sets, and F9 screenshots show the
// players' displays in both top corners once they have slid in.
#include "MatchHarness.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "ScriptedController.h"
#include "TestVehicle.h"
#include "JpegImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <functional>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

TEST(MatchInput, ScriptedEventsArriveInTheirFramesAndFramesKeepTheirTime) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    MatchHarness run;
    GameController* match = run.start([] { return new ScriptedController(2); });
    PlimInput* input = PLIM->input;
    const int left = input->sdlToKey[SDLK_LEFT];
    run.scheduleKey(3, SDLK_LEFT, true);
    run.scheduleKey(5, SDLK_LEFT, false);
    run.scheduleMouseButton(4, SDL_BUTTON_LEFT, true);
    run.scheduleMouseMotion(4, 20, -10);
    const float x = input->mousePosition[0], y = input->mousePosition[1];
    run.steps(3);
    EXPECT_FALSE(input->isKeyDown(left));
    run.step();
    EXPECT_TRUE(input->isKeyDown(left));
    EXPECT_EQ(input->buttonsNow[0], 0);
    run.step(); // frame 4
    EXPECT_EQ(input->buttonsNow[0], 1);
    EXPECT_FLOAT_EQ(input->mousePosition[0], x + 20.0f * float(input->mouseSpeed));
    EXPECT_FLOAT_EQ(input->mousePosition[1], y + 10.0f * float(input->mouseSpeed));
    run.step();
    EXPECT_FALSE(input->isKeyDown(left));

    // Every frame lasts the frame rate; extra work makes the next delta longer.
    const double before = match->time;
    run.steps(10);
    EXPECT_NEAR(match->dt, 0.01, 1e-9);
    EXPECT_NEAR(match->time - before, 0.1, 1e-9);
    run.step(25);
    EXPECT_NEAR(match->dt, 0.01, 1e-9);
    run.step();
    EXPECT_NEAR(match->dt, 0.025, 1e-9);
    run.step();
    EXPECT_NEAR(match->dt, 0.01, 1e-9);
    EXPECT_EQ(run.frame, 19);
}

bool haveXdotool() { return getenv("DISPLAY") && system("command -v xdotool >/dev/null 2>&1") == 0; }

void xdotool(const std::string& arguments) {
    ASSERT_EQ(system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()), 0) << arguments;
}

// Frames (with a little real time for the X server) until done() holds.
bool framesUntil(MatchHarness& run, const std::function<bool()>& done) {
    for (int i = 0; i < 400; ++i) {
        run.step();
        if (done()) return true;
        usleep(2000);
    }
    return false;
}

TEST(MatchInput, BothKeySetsReachTheirVehiclesFromRealKeys) {
    if (!haveXdotool()) GTEST_SKIP() << "needs an X server and xdotool";
    MatchHarness run;
    TestVehicle* vehicles[2] = {};
    run.start([&vehicles] {
        auto* match = new ScriptedController(2);
        match->build = [&vehicles](ScriptedController& m) {
            for (int player = 0; player < 2; ++player) {
                vehicles[player] = new TestVehicle(player, V3(player ? 100.0f : -100.0f, 0.0f, 0.0f), 0.0f);
                vehicles[player]->bRemoveOffWorld = false;
                m.place(GameController::LAYER_AIRPLANES, vehicles[player]);
            }
        };
        return match;
    });
    // Two humans: player 0 on the letters (set 1), player 1 on the arrows and
    // the space bar (set 0).
    ASSERT_EQ(vehicles[0]->keySet(), 1);
    ASSERT_EQ(vehicles[1]->keySet(), 0);
    xdotool("search --name '^Corvana2demo' windowfocus --sync");
    run.steps(5);

    struct Press {
        const char* key;
        int player;
        bool Vehicle::*flag;
    };
    const Press presses[] = {
        {"Left", 1, &Vehicle::bTurnLeft},   {"Right", 1, &Vehicle::bTurnRight}, {"Up", 1, &Vehicle::bIncrease},
        {"Down", 1, &Vehicle::bDecrease},   {"space", 1, &Vehicle::bFireHeld},  {"a", 0, &Vehicle::bTurnLeft},
        {"d", 0, &Vehicle::bTurnRight},     {"w", 0, &Vehicle::bIncrease},      {"x", 0, &Vehicle::bDecrease},
        {"Shift_L", 0, &Vehicle::bFireHeld}};
    for (const Press& press : presses) {
        TestVehicle* own = vehicles[press.player];
        TestVehicle* other = vehicles[1 - press.player];
        xdotool(std::string("keydown ") + press.key);
        EXPECT_TRUE(framesUntil(run, [&] { return own->*press.flag; })) << press.key;
        EXPECT_FALSE(other->*press.flag) << press.key;
        xdotool(std::string("keyup ") + press.key);
        EXPECT_TRUE(framesUntil(run, [&] { return !(own->*press.flag); })) << press.key;
    }
    // Each fire key threw one shot from its own vehicle.
    EXPECT_EQ(vehicles[0]->shots, 1);
    EXPECT_EQ(vehicles[1]->shots, 1);
}

// Pixels of a window rectangle (y down) that differ clearly between two pictures.
int changedPixels(const JpegImage& a, const JpegImage& b, int x0, int y0, int x1, int y1) {
    int changed = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            int d = 0;
            for (int c = 0; c < 3; ++c) d += std::abs(int(a.at(x, y)[c]) - int(b.at(x, y)[c]));
            changed += d > 60;
        }
    return changed;
}

TEST(MatchInput, AnF9ScreenshotShowsBothDisplaysInTheTopCorners) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    MatchHarness run;
    run.start([] { return new ScriptedController(2); });
    // F9 before the displays move, and again once they have slid in.
    run.scheduleKey(0, SDLK_F9, true);
    run.scheduleKey(2, SDLK_F9, false);
    run.scheduleKey(150, SDLK_F9, true);
    run.scheduleKey(152, SDLK_F9, false);
    // Only the frames the screenshots are taken of are drawn.
    MatchHarness::setDrawing(true);
    run.steps(3);
    MatchHarness::setDrawing(false);
    run.steps(147);
    MatchHarness::setDrawing(true);
    run.steps(3);
    std::set<std::string> shots = jpegFiles(run.folder.userFolder());
    ASSERT_EQ(shots.size(), 2u);
    // Names carry the engine clock, so the earlier one sorts first.
    JpegImage before = readJpeg(*shots.begin());
    JpegImage after = readJpeg(*shots.rbegin());
    ASSERT_EQ(before.width, 640);
    ASSERT_EQ(after.width, 640);
    ASSERT_EQ(after.height, 480);
    // The badges rest 96 units in from each side, at the top edge.
    EXPECT_GT(changedPixels(before, after, 40, 0, 160, 40), 200);
    EXPECT_GT(changedPixels(before, after, 480, 0, 600, 40), 200);
    // The middle of the top edge stays as it was.
    EXPECT_EQ(changedPixels(before, after, 280, 0, 360, 20), 0);
}

} // namespace
