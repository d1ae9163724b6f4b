#include "ProgramPath.h"

#include "JpegImage.h"
#include "modes/pages/ContextGameHelp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <unistd.h>

ProgramScreen ProgramScreen::parse(const std::string& text) {
    ProgramScreen screen;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "top") words >> screen.top;
        if (kind == "mouse") words >> screen.mouseX >> screen.mouseY;
        if (kind == "match") words >> screen.state >> screen.number;
        if (kind == "input") words >> screen.keysDown >> screen.buttonDown;
        if (kind == "page") words >> screen.page;
        if (kind == "caption") {
            Caption c;
            int hovered = 0;
            words >> c.left >> c.right >> hovered;
            c.hovered = hovered != 0;
            std::string caption;
            std::getline(words, caption);
            const size_t first = caption.find_first_not_of(" \t");
            screen.captions[first == std::string::npos ? "" : caption.substr(first)] = c;
        }
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

void xdotool(const std::string& arguments) {
    if (system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) != 0) ADD_FAILURE() << "xdotool " << arguments;
}

std::string ProgramPath::missing() {
    if (!getenv("DISPLAY")) return "needs an X server";
    if (system("command -v xdotool >/dev/null 2>&1") != 0) return "needs xdotool";
    return std::string();
}

bool ProgramPath::waitFor(const std::string& top, double seconds, int state) {
    if (seconds < 0.0) seconds = waitSeconds;
    for (int i = 0; i < int(seconds * 20); ++i) {
        const ProgramScreen s = now();
        if (s.top == top && (state < 0 || s.state == state)) return true;
        usleep(50000);
    }
    return false;
}

bool ProgramPath::click(const std::string& caption) {
    const ProgramScreen s = now();
    auto found = s.buttons.find(caption);
    if (found == s.buttons.end()) return false;
    clickAt(found->second.first, found->second.second);
    return true;
}

template <class Test> bool ProgramPath::waitForInput(Test test, double seconds) const {
    for (int i = 0; i < int(seconds * 50); ++i) {
        if (test(now())) return true;
        usleep(20000);
    }
    return false;
}

bool ProgramPath::movedTo(int x, int y) const {
    const ProgramScreen s = now();
    return std::abs(x - s.mouseX) <= 2 && std::abs(y - s.mouseY) <= 2;
}

bool ProgramPath::moveTo(int x, int y, int step) {
    for (int attempt = 0; attempt < 4 && !movedTo(x, y); ++attempt) {
        const ProgramScreen s = now();
        int dx = x - s.mouseX, dy = s.mouseY - y; // window y grows downwards
        const int steps = std::max(1, (std::max(std::abs(dx), std::abs(dy)) + step - 1) / step);
        for (int i = steps; i > 0; --i) {
            const int mx = dx / i, my = dy / i;
            xdotool("mousemove_relative -- " + std::to_string(mx) + " " + std::to_string(my));
            dx -= mx;
            dy -= my;
            usleep(15000);
        }
        waitForInput([&](const ProgramScreen&) { return movedTo(x, y); }, 1.5);
    }
    return movedTo(x, y);
}

std::vector<std::string> ProgramPath::captionMisses() {
    std::vector<std::string> misses;
    const ProgramScreen page = now();
    for (const auto& entry : page.captions) {
        const std::string& caption = entry.first;
        const auto& ends = entry.second;
        const auto button = page.buttons.find(caption);
        if (button == page.buttons.end()) continue;
        const int y = button->second.second;
        for (int x : {button->second.first, ends.left + 3, ends.right - 3}) {
            const bool reached = moveTo(x, y);
            const bool hit = reached && waitForInput(
                                            [&](const ProgramScreen& s) {
                                                auto c = s.captions.find(caption);
                                                return c != s.captions.end() && c->second.hovered;
                                            },
                                            1.0);
            if (!hit) misses.push_back(page.top + ": \"" + caption + "\" at " + std::to_string(x) + (reached ? "" : " (not reached)"));
        }
    }
    return misses;
}

void ProgramPath::clickAt(int x, int y) {
    // The program moves its pointer by relative motion only; each move is
    // measured from where the program last drew the pointer. The first
    // motion after the program takes the pointer is dropped: then once more.
    for (int attempt = 0; attempt < 4 && !movedTo(x, y); ++attempt) {
        const ProgramScreen s = now();
        xdotool("mousemove_relative -- " + std::to_string(x - s.mouseX) + " " + std::to_string(s.mouseY - y));
        waitForInput([&](const ProgramScreen&) { return movedTo(x, y); }, 1.5);
    }
    clickHere();
}

void ProgramPath::clickHere() {
    xdotool("mousedown 1");
    usleep(100000);
    waitForInput([](const ProgramScreen& s) { return s.buttonDown != 0; }, 2.0);
    xdotool("mouseup 1");
    waitForInput([](const ProgramScreen& s) { return s.buttonDown <= 0; }, 2.0);
    usleep(150000);
}

void ProgramPath::press(const std::string& key) {
    xdotool("keydown " + key);
    usleep(100000);
    waitForInput([](const ProgramScreen& s) { return s.keysDown != 0; }, 2.0);
    xdotool("keyup " + key);
    waitForInput([](const ProgramScreen& s) { return s.keysDown <= 0; }, 2.0);
    usleep(150000);
}

bool ProgramPath::backTo(const std::string& top) {
    press("Escape");
    return waitFor(top);
}

std::set<std::string> ProgramPath::screenshots() const { return jpegFiles(run.folder.userFolder()); }

namespace {

// The file is a whole JPEG: it ends with the end-of-image marker.
bool wholeJpeg(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char end[2] = {0, 0};
    const bool whole = fseek(f, -2, SEEK_END) == 0 && fread(end, 1, 2, f) == 2 && end[0] == 0xFF && end[1] == 0xD9;
    fclose(f);
    return whole;
}

} // namespace

std::string ProgramPath::screenshot() {
    const std::set<std::string> before = screenshots();
    press("F9");
    for (int i = 0; i < 100; ++i) {
        for (const std::string& name : screenshots())
            if (!before.count(name)) {
                for (int j = 0; j < 100 && !wholeJpeg(name); ++j) usleep(50000);
                return name;
            }
        usleep(100000);
    }
    return std::string();
}

JpegImage ProgramPath::takeScreenshot(std::string* file) {
    std::string name;
    for (int attempt = 0; attempt < 4 && name.empty(); ++attempt) name = screenshot();
    if (file) *file = name;
    return name.empty() ? JpegImage() : readJpeg(name);
}

void ProgramPath::startAsNewUser(ApplicationFactory factory, const std::string& name) {
    run.start(factory);
    // The maker's logo ends on a click; a loaded machine may miss one.
    ASSERT_TRUE(waitForInput([](const ProgramScreen& s) { return s.top == "ContextZemtroviaLogo" || s.top == "ContextLogo"; },
                             90.0))
        << run.read("screen") << run.log();
    for (int i = 0; i < 3 && now().top == "ContextZemtroviaLogo"; ++i) {
        clickHere();
        waitForInput([](const ProgramScreen& s) { return s.top != "ContextZemtroviaLogo"; }, 3.0);
    }
    ASSERT_TRUE(waitFor("ContextLogo", 30.0)) << run.read("screen") << run.log();
    clickHere();
    // No profile yet: the main menu asks for a name first.
    ASSERT_TRUE(waitFor("ContextNewUser", 60.0)) << run.read("screen") << run.log();
    for (char c : name) press(std::string(1, c));
    press("Return");
    ASSERT_TRUE(waitFor("MyContextMain")) << run.read("screen");
    // The program drops the first motion after it takes the pointer, without
    // bringing the X pointer back to the window's centre (640 x 480 at the
    // screen's corner), which it otherwise does after each. A motion onto the
    // centre is that first motion, or else taken for the program's own warp:
    // either way the next move starts from the centre and counts in full.
    xdotool("mousemove 320 240");
    usleep(100000);
}

void ProgramPath::pickGameType(const std::string& caption) {
    ASSERT_TRUE(click("Start Game")) << run.read("screen");
    ASSERT_TRUE(waitFor("ContextGametypes")) << run.read("screen");
    ASSERT_TRUE(click(caption)) << run.read("screen");
}

void ProgramPath::startMatch(const std::string& gameType, const std::string& rulesPage) {
    ASSERT_NO_FATAL_FAILURE(pickGameType(gameType));
    ASSERT_TRUE(waitFor(rulesPage)) << run.read("screen");
    ASSERT_TRUE(click("start")) << run.read("screen");
}

void ProgramPath::escapeYes() {
    press("Escape");
    ASSERT_TRUE(waitFor("ContextDialog")) << run.read("screen");
    const ProgramScreen dialog = now();
    ASSERT_EQ(dialog.buttons.size(), 2u) << run.read("screen");
    ASSERT_TRUE(click(dialog.buttons.begin()->first == "No" ? std::next(dialog.buttons.begin())->first
                                                            : dialog.buttons.begin()->first));
}

void ProgramPath::quitMatchTo(const std::string& page) {
    ASSERT_NO_FATAL_FAILURE(escapeYes());
    ASSERT_TRUE(waitFor(page)) << run.read("screen");
    EXPECT_EQ(now().state, -1) << "no match left";
}

void ProgramPath::closeHelpPages() {
    constexpr int SHOWN = ContextGameHelp::STATE_SHOWN;
    if (!waitFor("ContextGameHelp", 5.0)) return;
    // Pages pushed together follow one another at once.
    for (int click = 0; click < 10 && now().top == "ContextGameHelp"; ++click) {
        if (!waitForInput([](const ProgramScreen& s) { return s.top != "ContextGameHelp" || s.page == SHOWN; }, 10.0))
            break;
        if (now().top != "ContextGameHelp") break;
        clickHere();
        waitForInput([](const ProgramScreen& s) { return s.top != "ContextGameHelp" || s.page != SHOWN; }, 2.0);
    }
}

bool ProgramPath::waitPastHints(const std::string& top, double seconds, int state) {
    for (int i = 0; i < int(seconds * 20); ++i) {
        const ProgramScreen s = now();
        if (s.top == top && (state < 0 || s.state == state)) return true;
        if (s.top == "ContextGameHelp")
            closeHelpPages();
        else
            usleep(50000);
    }
    return false;
}
