// The whole program under Xvfb with real X input (xdotool): Start Game,
// "invasion", "start", the hint pages closed by clicks, the match's first
// wave, then Escape and "Yes" back to the invasion rules page without an end;
// and a lost island through the end scene to the invasion's high scores.
// A watcher in the program's pointer layer (ticked every frame whatever the
// top screen) writes the top screen, the pointer and the buttons to a file.
#include "ProgramPath.h"
#include "ProgramTest.h"
#include "ScreenWatcher.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerCampaign.h"
#include "modes/PlayerData.h"
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

} // namespace

class InvasionProgram : public ProgramTest {};

TEST_F(InvasionProgram, StartGameInvasionStartPlayThenEscapeYesBackToTheRulesPage) {
    ProgramPath path(20.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "ann"));

    ASSERT_NO_FATAL_FAILURE(path.pickGameType("invasion"));
    ASSERT_TRUE(path.waitFor("ContextRulesCampaign")) << path.run.read("screen");
    ASSERT_TRUE(path.click("start")) << path.run.read("screen");

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
    ASSERT_NO_FATAL_FAILURE(path.pickGameType("invasion"));
    ASSERT_TRUE(path.waitFor("ContextRulesCampaign")) << path.run.read("screen");
    ASSERT_TRUE(path.click("start")) << path.run.read("screen");
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
