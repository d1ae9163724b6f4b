// The whole program under Xvfb with real X input (xdotool), one run through
// the menus: on every page the pointer goes, in steps, to the centre of each
// enabled button's caption and 3 units inside both ends of its text, and the
// button must take the pointer there. Pages are opened by clicks near a
// caption's ends; one is opened by a tap (button down and up between two
// frames) and left by a tapped Escape, each seen exactly once.
#include "ProgramPath.h"
#include "ProgramTest.h"
#include "ScreenWatcher.h"
#include "app/MyGlobal.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A player who has passed the network test: "Upload scores" opens the upload page.
class Watcher : public ScreenWatcher {
    void watchMatch(GameController*, std::ostream&) override { gGlobal->saveData.bNetworkTested = 1; }
};

Global* makeGame() { return new WatchedGame<Watcher>(); }

class CaptionWalk {
public:
    explicit CaptionWalk(ProgramPath& path) : path(path) {}

    // Checks the top page's captions.
    void check() {
        const std::string top = path.now().top;
        for (const std::string& miss : path.captionMisses()) {
            printf("miss: %s\n", miss.c_str());
            misses.push_back(miss);
        }
        pages.insert(top);
        captions += int(path.now().captions.size());
    }
    // Clicks near one end of the caption (side -1 left, +1 right, 0 centre)
    // and waits for the page.
    bool open(const std::string& caption, const std::string& page, int side) {
        const ProgramScreen s = path.now();
        const auto button = s.buttons.find(caption);
        const auto ends = s.captions.find(caption);
        if (button == s.buttons.end() || ends == s.captions.end()) return false;
        const int x = side < 0 ? ends->second.left + 3 : side > 0 ? ends->second.right - 3 : button->second.first;
        path.clickAt(x, button->second.second);
        return path.waitFor(page);
    }
    // Opens the page, checks it and goes back with Escape.
    void visit(const std::string& caption, const std::string& page, const std::string& from, int side) {
        if (!open(caption, page, side)) {
            ADD_FAILURE() << "\"" << caption << "\" did not open " << page << "\n" << path.run.read("screen");
            return;
        }
        check();
        EXPECT_TRUE(path.backTo(from)) << path.run.read("screen");
    }

    ProgramPath& path;
    std::vector<std::string> misses;
    std::set<std::string> pages;
    int captions = 0;
};

void tap(const std::string& what) { xdotool(what); }

} // namespace

class CaptionsProgram : public ProgramTest {};

TEST_F(CaptionsProgram, EveryCaptionTakesThePointerAtItsCentreAndBothEndsOnEveryPage) {
    ProgramPath path(20.0);
    // The longest name, of wide letters: the greeting is wider than the usual area.
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "mwmwmwmwmwmwmwm"));
    CaptionWalk walk(path);
    walk.check();

    // The greeting opens the players; "Add" the name entry of a second player.
    ASSERT_TRUE(walk.open("Hello, mwmwmwmwmwmwmwm!", "ContextUserManager", 1)) << path.run.read("screen");
    walk.check();
    ASSERT_TRUE(walk.open("Add", "ContextNewUser", -1)) << path.run.read("screen");
    path.press("b"); // "OK" takes clicks once there is a name
    walk.check();
    path.press("Return"); // the players' page closed when it opened the entry
    ASSERT_TRUE(path.waitFor("MyContextMain")) << path.run.read("screen");

    // The quit question; "No" stays.
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("ContextDialog")) << path.run.read("screen");
    walk.check();
    ASSERT_TRUE(walk.open("No", "MyContextMain", -1)) << path.run.read("screen");

    // Options by a tap: the page opens once, and a tapped Escape leaves it
    // once (a second push would come back to Options).
    const ProgramScreen menu = path.now();
    ASSERT_TRUE(menu.buttons.count("Options...")) << path.run.read("screen");
    path.moveTo(menu.buttons.at("Options...").first, menu.buttons.at("Options...").second);
    tap("mousedown 1 mouseup 1");
    ASSERT_TRUE(path.waitFor("ContextOptions", 10.0)) << path.run.read("screen");
    walk.check();
    walk.visit("Gameplay", "ContextOptionsGameplay", "ContextOptions", -1);
    walk.visit("Graphics", "ContextOptionsGraphics", "ContextOptions", 1);
    walk.visit("Sound", "ContextOptionsSound", "ContextOptions", -1);
    walk.visit("Help", "ContextHelp", "ContextOptions", 1);
    walk.visit("Network Wizard", "ContextNetworkWizard1", "ContextOptions", -1);
    ASSERT_TRUE(walk.open("Controls", "ContextOptionsControls", 1)) << path.run.read("screen");
    walk.check();
    walk.visit("Player 2 controls...", "ContextOptionsControls2", "ContextOptionsControls", -1);
    tap("keydown Escape keyup Escape");
    ASSERT_TRUE(path.waitFor("ContextOptions")) << path.run.read("screen");
    usleep(500000);
    EXPECT_EQ(path.now().top, "ContextOptions") << "one tapped Escape leaves one page";
    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");

    // High scores, their options and the upload page.
    ASSERT_TRUE(walk.open("High Scores", "ContextHighScores", 1)) << path.run.read("screen");
    walk.check();
    ASSERT_TRUE(walk.open("More options...", "ContextHighScoresOptions", -1)) << path.run.read("screen");
    walk.check();
    walk.visit("Upload scores", "ContextScoreUpload", "ContextHighScoresOptions", 1);
    ASSERT_TRUE(path.backTo("ContextHighScores")) << path.run.read("screen");
    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");

    walk.visit("Credits", "ContextCredits", "MyContextMain", -1);

    // The game types and their rules and mutator pages.
    ASSERT_TRUE(walk.open("Start Game", "ContextGametypes", -1)) << path.run.read("screen");
    walk.check();
    walk.visit("invasion", "ContextRulesCampaign", "ContextGametypes", 1);
    walk.visit("duel", "ContextRulesClassicWar", "ContextGametypes", -1);
    walk.visit("balloon pop", "ContextRulesBalloonPop", "ContextGametypes", 1);
    walk.visit("free-for-all", "ContextRulesFFA", "ContextGametypes", -1);
    walk.visit("mutators...", "ContextMutators", "ContextGametypes", 1);
    ASSERT_TRUE(path.backTo("MyContextMain")) << path.run.read("screen");

    std::string seen;
    for (const std::string& page : walk.pages) seen += " " + page;
    printf("%d captions on %zu pages:%s\n", walk.captions, walk.pages.size(), seen.c_str());
    std::string misses;
    for (const std::string& miss : walk.misses) misses += "\n  " + miss;
    EXPECT_TRUE(walk.misses.empty()) << walk.misses.size() << " points off their buttons:" << misses;
    EXPECT_EQ(walk.pages.size(), 22u) << seen;
}
