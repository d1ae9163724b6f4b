// The whole program under Xvfb with real X input (xdotool): on the main menu
// the hint under the greeting, "Click here to change players.", takes a click
// in the lower half of its plate, below the greeting's own area, and opens
// the profile list.
#include "ProgramPath.h"
#include "ProgramTest.h"
#include "RenderableText.h"
#include "ScreenWatcher.h"
#include "widgets/MenuUserDisplay.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// Adds "hint <left> <top> <right> <bottom> <name line y>" while the main menu is on top.
class Watcher : public ScreenWatcher {
    void watchMatch(GameController*, std::ostream& out) override {
        Context* top = gGlobal->contextManager->getTop();
        for (BasicLink* c = top ? top->firstChild : nullptr; c; c = c->next)
            if (auto* user = dynamic_cast<MenuUserDisplay*>(static_cast<PlimBase*>(c))) {
                const Rect plate = user->hintLine->plateRect();
                out << "hint " << plate.left << " " << plate.top << " " << plate.right << " " << plate.bottom << " "
                    << user->nameLine->position.y << "\n";
            }
    }
};

Global* makeGame() { return new WatchedGame<Watcher>(); }

// The numbers of the watcher's hint line (empty when there is none).
std::vector<float> hintLine(const ProgramPath& path) {
    std::istringstream in(path.run.read("screen"));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("hint ", 0) == 0) {
            std::istringstream words(line.substr(5));
            std::vector<float> values;
            for (float v; words >> v;) values.push_back(v);
            return values;
        }
    return {};
}

} // namespace

class MainMenuProgram : public ProgramTest {};

TEST_F(MainMenuProgram, TheHintUnderTheGreetingTakesAClickInTheLowerHalfOfItsPlate) {
    ProgramPath path(20.0);
    ASSERT_NO_FATAL_FAILURE(path.startAsNewUser(makeGame, "ann"));
    const std::vector<float> hint = hintLine(path);
    ASSERT_EQ(hint.size(), 5u) << path.run.read("screen");
    // A quarter up from the plate's bottom: below the greeting's 36-unit area.
    const int y = int(hint[3] + 0.25f * (hint[1] - hint[3]) + 0.5f);
    ASSERT_LT(float(y), hint[4] - 36.0f);
    ASSERT_TRUE(path.moveTo(int(hint[0]) + 8, y)) << path.run.read("screen");
    path.clickHere();
    EXPECT_TRUE(path.waitFor("ContextUserManager", 5.0)) << "clicked at (" << int(hint[0]) + 8 << ", " << y << ")\n"
                                                         << path.run.read("screen");
}
