// The whole program under Xvfb with real X input (xdotool): Start Game,
// "balloon pop", its rules page, "start", the first round with an F9
// screenshot of the time bar, then Escape and "Yes" back to the rules page.
// A watcher in the program's pointer layer (ticked every frame whatever the
// top screen) writes the top screen, the pointer and the buttons to a file.
#include "ProgramPath.h"
#include "ProgramTest.h"
#include "ScreenWatcher.h"
#include "modes/GameControllerBalloonPop.h"
#include "JpegImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class Watcher : public ScreenWatcher {
    void watchMatch(GameController* match, std::ostream& out) override {
        if (auto* pop = dynamic_cast<GameControllerBalloonPop*>(match))
            out << "match " << pop->state << " " << pop->round << "\n";
    }
};

Global* makeGame() { return new WatchedGame<Watcher>(); }

// The orange of the bar's fill, which neither sea nor sky has.
bool fillColour(const uint8_t* p) { return p[0] > 200 && p[1] > 90 && p[2] < 110; }

} // namespace

class BalloonPopProgram : public ProgramTest {};

TEST_F(BalloonPopProgram, StartGameBalloonPopRulesStartThenEscapeYesBackToTheRulesPage) {
    ProgramPath path(30.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "ann"));

    ASSERT_NO_FATAL_FAILURE(path.startMatch("balloon pop", "ContextRulesBalloonPop"));

    ASSERT_TRUE(path.waitFor("GameControllerBalloonPop", 90.0, GameControllerBalloonPop::STATE_PLAYING))
        << path.run.read("screen");
    EXPECT_EQ(path.now().number, 1);
    usleep(3000000); // the display slides in, the bar has shrunk a little

    // The fill's orange lies inside the 192-wide frame at the bottom centre,
    // starting at its left end.
    const JpegImage shot = path.takeScreenshot();
    ASSERT_EQ(shot.width, 640) << path.run.read("screen");
    ASSERT_EQ(shot.height, 480);
    int left = shot.width, right = -1, count = 0;
    for (int y = 455; y < 476; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (fillColour(shot.at(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                ++count;
            }
    EXPECT_GT(count, 500);
    EXPECT_GE(left, 320 - 96);
    EXPECT_LE(left, 320 - 96 + 8);
    EXPECT_LE(right, 320 + 96);
    EXPECT_GT(right, 320);

    // Escape asks; "Yes" leaves the match for its rules page, with no end scene.
    ASSERT_NO_FATAL_FAILURE(path.quitMatchTo("ContextRulesBalloonPop"));

    ASSERT_TRUE(path.backTo("ContextGametypes")) << path.run.read("screen");
    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");
}
