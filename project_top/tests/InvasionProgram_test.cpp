// The whole program under Xvfb with real X input (xdotool): Start Game,
// "invasion", "start", the hint pages closed by clicks, the match's first
// wave, then Escape and "Yes" back to the invasion rules page without an end;
// and a lost island through the end scene to the invasion's high scores.
// A watcher in the program's pointer layer (ticked every frame whatever the
// top screen) writes the top screen, the pointer and the buttons to a file.
#include "ContextManager.h"
#include "MenuButton.h"
#include "ProgramRun.h"
#include "app/MyGlobal.h"
#include "modes/GameControllerCampaign.h"
#include "modes/PlayerData.h"
#include "world/GameObject.h"

#include <gtest/gtest.h>

#include <cxxabi.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <typeinfo>
#include <unistd.h>

namespace {

std::string className(const void* object, const std::type_info& type) {
    int status = 0;
    char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && readable ? readable : "?";
    free(readable);
    (void)object;
    return name;
}

const float PALM_KILLER = 1.0e6f;

// Writes "top", "mouse", "button" and "match" lines whenever they change.
class Watcher : public PlimBase {
public:
    void tick(double, double) override {
        Context* top = gGlobal->contextManager->getTop();
        if (!top) return;
        std::ostringstream out;
        out << "top " << className(top, typeid(*top)) << "\n";
        out << "mouse " << int(top->mouseWorld.x) << " " << int(top->mouseWorld.y) << "\n";
        for (BasicLink* c = top->firstChild; c; c = c->next)
            if (MenuButton* button = dynamic_cast<MenuButton*>(static_cast<PlimBase*>(c)))
                if (!button->bDisabled)
                    out << "button " << int(button->position.x) << " " << int(button->position.y) << " "
                        << button->caption.c_str() << "\n";
        GameController* match = static_cast<MyGlobal*>(gGlobal)->currentController;
        if (auto* invasion = dynamic_cast<GameControllerCampaign*>(match)) {
            out << "match " << invasion->state << " " << invasion->waveNumber << "\n";
            // On the test's word, every palm of the island takes a fatal hit.
            if (invasion->state == GameControllerCampaign::STATE_WAVE && access("burn", F_OK) == 0) {
                unlink("burn");
                PlayerData* island = invasion->playerData[0];
                for (int i = 0; i < island->numPalms; ++i)
                    if (GameObject* palm = island->palms[i].get()) palm->takeDamage(nullptr, PALM_KILLER);
            }
        }
        if (out.str() != last) writeMarker("screen", last = out.str());
    }
    std::string last;
};

class WatchedGame : public MyGlobal {
public:
    void pushFirstContexts() override {
        MyGlobal::pushFirstContexts();
        contextManager->pointerLayer->addChild(new Watcher());
    }
};

Global* makeGame() { return new WatchedGame(); }

void xdotool(const std::string& arguments) {
    if (system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) != 0) ADD_FAILURE() << "xdotool " << arguments;
}

struct Screen {
    std::string top;
    int mouseX = 0, mouseY = 0;
    std::map<std::string, std::pair<int, int>> buttons;
    int state = -1, wave = -1;
};

Screen parse(const std::string& text) {
    Screen screen;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "top") words >> screen.top;
        if (kind == "mouse") words >> screen.mouseX >> screen.mouseY;
        if (kind == "match") words >> screen.state >> screen.wave;
        if (kind == "button") {
            int x = 0, y = 0;
            words >> x >> y;
            std::string caption;
            std::getline(words, caption);
            const size_t first = caption.find_first_not_of(" \t");
            screen.buttons[first == std::string::npos ? "" : caption.substr(first)] = {x, y};
        }
    }
    return screen;
}

class ProgramPath {
public:
    ProgramRun run;
    Screen now() const { return parse(run.read("screen")); }
    // Waits until the top screen is of the class (or the match in the state).
    bool waitFor(const std::string& top, double seconds = 20.0, int state = -1) {
        for (int i = 0; i < int(seconds * 20); ++i) {
            const Screen s = now();
            if (s.top == top && (state < 0 || s.state == state)) return true;
            usleep(50000);
        }
        return false;
    }
    // Moves the pointer onto the button with that caption and clicks.
    bool click(const std::string& caption) {
        for (int attempt = 0; attempt < 4; ++attempt) {
            const Screen s = now();
            auto found = s.buttons.find(caption);
            if (found == s.buttons.end()) return false;
            const int dx = found->second.first - s.mouseX, dy = found->second.second - s.mouseY;
            if (std::abs(dx) <= 2 && std::abs(dy) <= 2) break;
            xdotool("mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(-dy));
            usleep(250000);
        }
        clickHere();
        return true;
    }
    void clickHere() {
        xdotool("mousedown 1");
        usleep(120000);
        xdotool("mouseup 1");
        usleep(250000);
    }
    void press(const std::string& key) {
        xdotool("keydown " + key);
        usleep(100000);
        xdotool("keyup " + key);
        usleep(150000);
    }
};

} // namespace

TEST(InvasionProgram, StartGameInvasionStartPlayThenEscapeYesBackToTheRulesPage) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";
    ProgramPath path;
    path.run.start(makeGame);
    // The title plays over the main menu first: a click skips it.
    ASSERT_TRUE(path.waitFor("ContextLogo", 60.0)) << path.run.read("screen") << path.run.log();
    path.clickHere();
    // No profile yet: the main menu asks for a name first.
    ASSERT_TRUE(path.waitFor("ContextNewUser", 60.0)) << path.run.read("screen") << path.run.log();
    for (const char* key : {"a", "n", "n", "Return"}) path.press(key);
    ASSERT_TRUE(path.waitFor("MyContextMain")) << path.run.read("screen");

    ASSERT_TRUE(path.click("Start Game")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("ContextGametypes")) << path.run.read("screen");
    ASSERT_TRUE(path.click("invasion")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("ContextRulesCampaign")) << path.run.read("screen");
    ASSERT_TRUE(path.click("start")) << path.run.read("screen");

    // The hint pages (help is on by default) close on clicks; then the waves.
    for (int page = 0; page < 2; ++page) {
        if (!path.waitFor("ContextGameHelp", 5.0)) break;
        usleep(800000);
        path.clickHere();
    }
    ASSERT_TRUE(path.waitFor("GameControllerCampaign", 60.0, GameControllerCampaign::STATE_WAVE))
        << path.run.read("screen");
    EXPECT_EQ(path.now().wave, 1);

    // Escape asks; "Yes" leaves the match for its rules page, with no end scene.
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("ContextDialog")) << path.run.read("screen");
    const Screen dialog = path.now();
    ASSERT_EQ(dialog.buttons.size(), 2u) << path.run.read("screen");
    ASSERT_TRUE(path.click(dialog.buttons.begin()->first == "No" ? std::next(dialog.buttons.begin())->first
                                                                  : dialog.buttons.begin()->first));
    ASSERT_TRUE(path.waitFor("ContextRulesCampaign")) << path.run.read("screen");
    EXPECT_EQ(path.now().state, -1) << "no match left";

    // Back twice: the main menu; Escape there ends the program cleanly.
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("ContextGametypes")) << path.run.read("screen");
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("MyContextMain")) << path.run.read("screen");
}

TEST(InvasionProgram, TheLastPalmFallsIntoTheEndSceneThenTheInvasionTable) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";
    ProgramPath path;
    path.run.start(makeGame);
    ASSERT_TRUE(path.waitFor("ContextLogo", 60.0)) << path.run.read("screen") << path.run.log();
    path.clickHere();
    ASSERT_TRUE(path.waitFor("ContextNewUser", 60.0)) << path.run.read("screen");
    for (const char* key : {"b", "e", "a", "Return"}) path.press(key);
    ASSERT_TRUE(path.waitFor("MyContextMain")) << path.run.read("screen");
    ASSERT_TRUE(path.click("Start Game")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("ContextGametypes")) << path.run.read("screen");
    ASSERT_TRUE(path.click("invasion")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("ContextRulesCampaign")) << path.run.read("screen");
    ASSERT_TRUE(path.click("start")) << path.run.read("screen");
    for (int page = 0; page < 2; ++page) {
        if (!path.waitFor("ContextGameHelp", 5.0)) break;
        usleep(800000);
        path.clickHere();
    }
    ASSERT_TRUE(path.waitFor("GameControllerCampaign", 60.0, GameControllerCampaign::STATE_WAVE))
        << path.run.read("screen");

    // The palms burn; the tree page comes up and a click closes it.
    EngineTestFolder::writeFile(path.run.folder.root + "/burn", "");
    ASSERT_TRUE(path.waitFor("ContextGameHelp", 10.0)) << path.run.read("screen");
    usleep(800000);
    path.clickHere();
    // "game over!", the fade, and the end scene, which a click closes once it asks.
    ASSERT_TRUE(path.waitFor("ContextEnding", 30.0)) << path.run.read("screen");
    usleep(16000000); // cease fire, the winner, the bar, the percentage
    bool table = false;
    for (int click = 0; click < 4 && !table; ++click) {
        path.clickHere(); // a place text, if any, takes one click more
        table = path.waitFor("ContextHighScores", 5.0);
    }
    ASSERT_TRUE(table) << path.run.read("screen");

    // Back from the table: the rules page, the game types, the main menu.
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("ContextRulesCampaign")) << path.run.read("screen");
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("ContextGametypes")) << path.run.read("screen");
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("MyContextMain")) << path.run.read("screen");
}
