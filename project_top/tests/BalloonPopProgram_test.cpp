// The whole program under Xvfb with real X input (xdotool): Start Game,
// "balloon pop", its rules page, "start", the first round with an F9
// screenshot of the time bar, then Escape and "Yes" back to the rules page.
// A watcher in the program's pointer layer (ticked every frame whatever the
// top screen) writes the top screen, the pointer and the buttons to a file.
#include "ContextManager.h"
#include "MenuButton.h"
#include "ProgramRun.h"
#include "app/MyGlobal.h"
#include "modes/GameControllerBalloonPop.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <cxxabi.h>
#include <dirent.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <typeinfo>
#include <unistd.h>
#include <vector>

namespace {

std::string className(const std::type_info& type) {
    int status = 0;
    char* readable = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && readable ? readable : "?";
    free(readable);
    return name;
}

// Writes "top", "mouse", "button" and "match" lines whenever they change.
class Watcher : public PlimBase {
public:
    void tick(double, double) override {
        Context* top = gGlobal->contextManager->getTop();
        if (!top) return;
        std::ostringstream out;
        out << "top " << className(typeid(*top)) << "\n";
        out << "mouse " << int(top->mouseWorld.x) << " " << int(top->mouseWorld.y) << "\n";
        for (BasicLink* c = top->firstChild; c; c = c->next)
            if (MenuButton* button = dynamic_cast<MenuButton*>(static_cast<PlimBase*>(c)))
                if (!button->bDisabled)
                    out << "button " << int(button->position.x) << " " << int(button->position.y) << " "
                        << button->caption.c_str() << "\n";
        GameController* match = static_cast<MyGlobal*>(gGlobal)->currentController;
        if (auto* pop = dynamic_cast<GameControllerBalloonPop*>(match))
            out << "match " << pop->state << " " << pop->round << "\n";
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
    int state = -1, round = -1;
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
        if (kind == "match") words >> screen.state >> screen.round;
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
    bool waitFor(const std::string& top, double seconds = 30.0, int state = -1) {
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
    std::set<std::string> screenshots() const {
        std::set<std::string> names;
        const std::string folder = run.folder.userFolder();
        if (DIR* d = opendir(folder.c_str())) {
            while (dirent* e = readdir(d))
                if (std::string(e->d_name).find(".jpg") != std::string::npos) names.insert(folder + e->d_name);
            closedir(d);
        }
        return names;
    }
    // F9, and the new screenshot's path ("" when none came).
    std::string screenshot() {
        const std::set<std::string> before = screenshots();
        press("F9");
        for (int i = 0; i < 100; ++i) {
            for (const std::string& name : screenshots())
                if (!before.count(name)) {
                    usleep(1500000); // let the writer finish
                    return name;
                }
            usleep(100000);
        }
        return std::string();
    }
};

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[size_t(y * width + x) * 3]; }
};

Image readJpeg(const std::string& path) {
    Image image;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return image;
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = int(info.output_width);
    image.height = int(info.output_height);
    image.rgb.resize(size_t(image.width * image.height * 3));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &image.rgb[size_t(info.output_scanline) * size_t(image.width) * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    fclose(f);
    return image;
}

// The orange of the bar's fill, which neither sea nor sky has.
bool fillColour(const uint8_t* p) { return p[0] > 200 && p[1] > 90 && p[2] < 110; }

} // namespace

TEST(BalloonPopProgram, StartGameBalloonPopRulesStartThenEscapeYesBackToTheRulesPage) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server";
    if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";
    ProgramPath path;
    path.run.start(makeGame);
    // The title plays over the main menu first: a click skips it.
    ASSERT_TRUE(path.waitFor("ContextLogo", 90.0)) << path.run.read("screen") << path.run.log();
    path.clickHere();
    // No profile yet: the main menu asks for a name first.
    ASSERT_TRUE(path.waitFor("ContextNewUser", 60.0)) << path.run.read("screen") << path.run.log();
    for (const char* key : {"a", "n", "n", "Return"}) path.press(key);
    ASSERT_TRUE(path.waitFor("MyContextMain")) << path.run.read("screen");

    ASSERT_TRUE(path.click("Start Game")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("ContextGametypes")) << path.run.read("screen");
    ASSERT_TRUE(path.click("balloon pop")) << path.run.read("screen");
    ASSERT_TRUE(path.waitFor("ContextRulesBalloonPop")) << path.run.read("screen");
    ASSERT_TRUE(path.click("start")) << path.run.read("screen");

    ASSERT_TRUE(path.waitFor("GameControllerBalloonPop", 90.0, GameControllerBalloonPop::STATE_PLAYING))
        << path.run.read("screen");
    EXPECT_EQ(path.now().round, 1);
    usleep(3000000); // the display slides in, the bar has shrunk a little

    // The fill's orange lies inside the 192-wide frame at the bottom centre,
    // starting at its left end.
    // A loaded machine may miss a short press: F9 again until a file comes.
    std::string file;
    for (int attempt = 0; attempt < 4 && file.empty(); ++attempt) file = path.screenshot();
    ASSERT_FALSE(file.empty()) << path.run.read("screen");
    const Image shot = readJpeg(file);
    ASSERT_EQ(shot.width, 640);
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
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("ContextDialog")) << path.run.read("screen");
    const Screen dialog = path.now();
    ASSERT_EQ(dialog.buttons.size(), 2u) << path.run.read("screen");
    ASSERT_TRUE(path.click(dialog.buttons.begin()->first == "No" ? std::next(dialog.buttons.begin())->first
                                                                  : dialog.buttons.begin()->first));
    ASSERT_TRUE(path.waitFor("ContextRulesBalloonPop")) << path.run.read("screen");
    EXPECT_EQ(path.now().state, -1) << "no match left";

    path.press("Escape");
    ASSERT_TRUE(path.waitFor("ContextGametypes")) << path.run.read("screen");
    path.press("Escape");
    ASSERT_TRUE(path.waitFor("MyContextMain")) << path.run.read("screen");
}
