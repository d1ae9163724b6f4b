// The whole program under Xvfb with real X input (xdotool): Start Game,
// "invasion", "start", the hint pages closed by clicks, the match's first
// wave, then Escape and "Yes" back to the invasion rules page without an end;
// and a lost island through the end scene to the invasion's high scores; the
// pointer, hidden on a hint page, resting on the page's bars.
// A watcher in the program's pointer layer (ticked every frame whatever the
// top screen) writes the top screen, the pointer and the buttons to a file.
#include "ProgramPath.h"
#include "ProgramTest.h"
#include "ScreenWatcher.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerCampaign.h"
#include "modes/PlayerData.h"
#include "modes/pages/ContextGameHelp.h"
#include "world/GameObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const float PALM_KILLER = 1.0e6f;

class Watcher : public ScreenWatcher {
    void watchMatch(GameController* match, std::ostream& out) override {
        if (auto* invasion = dynamic_cast<GameControllerCampaign*>(match)) {
            out << "match " << invasion->state << " " << invasion->waveNumber << "\n";
            // On the test's word, every palm of the island takes a fatal hit.
            if (invasion->state == GameControllerCampaign::STATE_WAVE && access("burn", F_OK) == 0) {
                unlink("burn");
                PlayerData* island = invasion->playerData[0];
                for (int i = 0; i < island->numPalms; ++i)
                    if (GameObject* palm = island->palms[i].get()) palm->takeDamage(nullptr, PALM_KILLER);
            }
        } else if (auto* ending = dynamic_cast<ContextEnding*>(match)) {
            out << "match " << ending->state << " 0\n";
        }
    }
};

Global* makeGame() { return new WatchedGame<Watcher>(); }

// The gold rim of a lit button frame, as the screenshot's JPEG gives it.
bool goldRim(const uint8_t* p) { return p[0] > 110 && p[0] >= p[1] && p[1] > p[2] + 30 && p[0] > p[2] + 60; }

// Gold pixels in the screen's middle band, where the page's texts stand.
int goldInTheMiddle(const JpegImage& shot) {
    int count = 0;
    for (int y = shot.height / 4; y < 3 * shot.height / 4; ++y)
        for (int x = 0; x < shot.width; ++x) count += goldRim(shot.at(x, y)) ? 1 : 0;
    return count;
}

} // namespace

class InvasionProgram : public ProgramTest {};

TEST_F(InvasionProgram, StartGameInvasionStartPlayThenEscapeYesBackToTheRulesPage) {
    ProgramPath path(20.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "ann"));

    ASSERT_NO_FATAL_FAILURE(path.startMatch("invasion", "ContextRulesCampaign"));

    // The hint pages (help is on by default) close on clicks; then the waves.
    ASSERT_TRUE(path.waitPastHints("GameControllerCampaign", 60.0, GameControllerCampaign::STATE_WAVE))
        << path.run.read("screen");
    EXPECT_EQ(path.now().number, 1);

    // Escape asks; "Yes" leaves the match for its rules page, with no end scene.
    ASSERT_NO_FATAL_FAILURE(path.quitMatchTo("ContextRulesCampaign"));

    // Back twice: the main menu; Escape there ends the program cleanly.
    ASSERT_TRUE(path.backTo("ContextGametypes")) << path.run.read("screen");
    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");
}

TEST_F(InvasionProgram, TheLastPalmFallsIntoTheEndSceneThenTheInvasionTable) {
    ProgramPath path(20.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "bea"));
    ASSERT_NO_FATAL_FAILURE(path.startMatch("invasion", "ContextRulesCampaign"));
    ASSERT_TRUE(path.waitPastHints("GameControllerCampaign", 60.0, GameControllerCampaign::STATE_WAVE))
        << path.run.read("screen");

    // The palms burn; the tree page comes up and a click closes it.
    EngineTestFolder::writeFile(path.run.folder.root + "/burn", "");
    ASSERT_TRUE(path.waitFor("ContextGameHelp", 10.0)) << path.run.read("screen");
    // "game over!", the fade, and the end scene, which a click closes once it
    // asks; other hint pages may come up on the way.
    ASSERT_TRUE(path.waitPastHints("ContextEnding", 30.0)) << path.run.read("screen");
    // Cease fire, the winner, the bar, the percentage: then it takes clicks.
    bool asks = false;
    for (int i = 0; i < 40 * 20 && !asks; ++i) {
        const ProgramScreen s = path.now();
        asks = s.top != "ContextEnding" || s.state >= ContextEnding::STATE_PLACE;
        if (!asks) usleep(50000);
    }
    ASSERT_TRUE(asks) << path.run.read("screen");
    bool table = false;
    for (int click = 0; click < 4 && !table; ++click) {
        path.clickHere(); // a place text, if any, takes one click more
        table = path.waitFor("ContextHighScores", 5.0);
    }
    ASSERT_TRUE(table) << path.run.read("screen");

    // Back from the table: the rules page, the game types, the main menu.
    ASSERT_TRUE(path.backTo("ContextRulesCampaign")) << path.run.read("screen");
    ASSERT_TRUE(path.backTo("ContextGametypes")) << path.run.read("screen");
    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");
}

// The hint page hides the pointer: resting it on either bar's label lights
// no frame, neither the label's nor one across the page's text.
TEST_F(InvasionProgram, AHiddenPointerOnTheHintPagesBarsLightsNothing) {
    ProgramPath path(20.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "cid"));
    ASSERT_NO_FATAL_FAILURE(path.startMatch("invasion", "ContextRulesCampaign"));
    ASSERT_TRUE(path.waitFor("ContextGameHelp", 30.0)) << path.run.read("screen");
    bool shown = false;
    for (int i = 0; i < 20 * 20 && !shown; ++i) {
        shown = path.now().page == ContextGameHelp::STATE_SHOWN;
        if (!shown) usleep(50000);
    }
    ASSERT_TRUE(shown) << path.run.read("screen");

    for (const char* caption : {"how to play", "fire to resume"}) {
        const ProgramScreen page = path.now();
        const auto label = page.buttons.find(caption);
        ASSERT_NE(label, page.buttons.end()) << path.run.read("screen");
        ASSERT_TRUE(path.moveTo(label->second.first, label->second.second)) << path.run.read("screen");
        EXPECT_FALSE(path.now().captions[caption].hovered) << caption;
        // A highlight would be whole by the second shot (it fades in over 0.25 s).
        path.takeScreenshot();
        const JpegImage shot = path.takeScreenshot();
        ASSERT_EQ(shot.height, 480);
        EXPECT_EQ(goldInTheMiddle(shot), 0) << "pointer on \"" << caption << "\"";
        EXPECT_EQ(path.now().top, "ContextGameHelp");
    }
}
