// The game's menus driven through the real program under Xvfb with real X key
// and mouse events (xdotool): the forced first profile, the profile list, a
// profile added by typing its name and the ".pro" file it leaves; F9
// screenshots of the main menu and the credits probed for the backdrop, and
// the main menu for captions that read over its buttons.
//
// The view is made taller than the window (fovHeight 1000), so that above the
// sky picture the backdrop's clear colour shows at the top of every menu.
#include "files/FileManager.h"
#include "GameRun.h"
#include "WebService.h"
#include "JpegImage.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <set>
#include <string>
#include <vector>

namespace {

const int WINDOW_W = 640, WINDOW_H = 480;
const int FOV_W = 640, FOV_H = 1000;
// The backdrop's clear colour, which the sky's top rows repeat: nothing is
// laid over the backdrop (the menus' texts stand on plates of their own).
const int CLEAR[3] = {16, 128, 208};

// The pixel is the clear colour, allowing for the JPEG's rounding.
::testing::AssertionResult isClearColour(const JpegImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    for (int c = 0; c < 3; c++)
        if (std::abs(int(p[c]) - CLEAR[c]) > 10)
            return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is (" << int(p[0]) << ", "
                                                 << int(p[1]) << ", " << int(p[2]) << ")";
    return ::testing::AssertionSuccess();
}

int colourDistance(const JpegImage& a, const JpegImage& b, int x, int y) {
    int d = 0;
    for (int c = 0; c < 3; c++) d += std::abs(int(a.at(x, y)[c]) - int(b.at(x, y)[c]));
    return d;
}

// WCAG's contrast ratio of two sRGB colours.
double contrastRatio(const double a[3], const double b[3]) {
    auto luminance = [](const double rgb[3]) {
        const double weight[3] = {0.2126, 0.7152, 0.0722};
        double l = 0.0;
        for (int c = 0; c < 3; c++) {
            const double v = rgb[c] / 255.0;
            l += weight[c] * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A menu caption reads at 4.5:1 over the widget's body at the pixel: the
// normal colour (0, 160, 0). (Disabled captions belong to inactive widgets.)
::testing::AssertionResult captionsRead(const JpegImage& image, int x, int y) {
    const uint8_t* p = image.at(x, y);
    const double body[3] = {double(p[0]), double(p[1]), double(p[2])};
    const double normal[3] = {0.0, 160.0, 0.0};
    const double n = contrastRatio(normal, body);
    if (n >= 4.5) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "over (" << int(p[0]) << ", " << int(p[1]) << ", " << int(p[2])
                                         << ") at (" << x << ", " << y << ") captions read at " << n << ":1";
}

// The largest colour distance of two screenshots along a row.
int largestDistance(const JpegImage& a, const JpegImage& b, int x0, int x1, int y) {
    int d = 0;
    for (int x = x0; x <= x1; ++x) d = std::max(d, colourDistance(a, b, x, y));
    return d;
}

// The game's window is mapped.
bool waitForWindow(GameRun& run) {
    return TestDeadline::waitFor([&] {
        return !run.running() || system("xdotool search --onlyvisible --name '^Corvana2demo' >/dev/null 2>&1") == 0;
    }, TestDeadline::SECONDS, 100) && run.running();
}

// F9, and the new screenshot's file once it is whole ("" once the game has
// ended). The frame that took it had handled every click and key sent
// before, and shows what they changed: what is sent next goes to a later
// frame, which a busy machine would otherwise let take two clicks at once
// (as one) or a key with a click. A key or button down in the frame after
// one it was down in is no press, so F9 goes again until a screenshot comes.
std::string screenshot(GameRun& run) {
    const std::set<std::string> before = jpegFiles(run.userFolder);
    std::string made;
    const auto taken = [&] {
        for (const std::string& file : jpegFiles(run.userFolder)) {
            const std::string bytes = before.count(file) ? std::string() : readFile(file);
            if (bytes.size() > 2 && bytes.compare(bytes.size() - 2, 2, "\xff\xd9") == 0) made = file;
        }
        return !made.empty() || !run.running();
    };
    for (const TestDeadline deadline; !taken() && !deadline.passed();) {
        xdotool("key F9");
        TestDeadline::waitFor(taken, 1.0, 20);
    }
    return made;
}

// A screenshot once the screen has come to rest: the same as the one before.
std::string settledScreenshot(GameRun& run) {
    std::string last = screenshot(run);
    TestDeadline::waitFor([&] {
        const std::string next = screenshot(run);
        const bool same = next.empty() || readFile(next) == readFile(last);
        last = next;
        return same;
    }, TestDeadline::SECONDS, 0);
    return last;
}

Display* display() {
    static Display* const connection = XOpenDisplay(nullptr);
    return connection;
}

// Whether the game holds the pointer: a grab of ours (let go at once) is
// refused while it does. Asked only while no press is on its way to the game,
// which takes the pointer at a press.
bool gameHoldsPointer() {
    if (XGrabPointer(display(), DefaultRootWindow(display()), False, 0, GrabModeAsync, GrabModeAsync, None, None,
                     CurrentTime) != GrabSuccess)
        return true;
    XUngrabPointer(display(), CurrentTime);
    XSync(display(), False);
    return false;
}

// The X pointer is at the point of the screen.
bool pointerAt(int x, int y) {
    Window root, child;
    int rx = -1, ry = -1, wx, wy;
    unsigned int mask;
    XQueryPointer(display(), DefaultRootWindow(display()), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return rx == x && ry == y;
}

// The names of the used profile slots and the current index, from the ".pro"
// file as the program wrote it; empty when it does not check out.
std::vector<std::string> profiles(const GameRun& run, int* current) {
    std::vector<uint8_t> block(1608);
    std::string dir = run.userFolder.substr(0, run.userFolder.size() - 1);
    if (!FileManager::loadProtectedData(dir.c_str(), "Corvana2demo.pro", "2.60", block.data(), 1608)) return {};
    std::vector<std::string> names;
    for (int i = 0; i < 10; i++) {
        const char* name = reinterpret_cast<const char*>(&block[size_t(8 + 160 * i)]);
        if (*name) names.push_back(std::string(name, strnlen(name, 16)));
    }
    memcpy(current, &block[4], 4);
    return names;
}

// The button pressed where the pointer is, held as a hand holds it.
void pressButton() {
    xdotool("mousedown 1");
    pause(120);
    xdotool("mouseup 1");
}

// A click where the pointer is, and a screenshot after it. Clicking again
// after a click hits the same place (the program holds the pointer there),
// two frames after it at least, so that the button was up in between.
void clickHere(GameRun& run, int times = 1) {
    for (int i = 0; i < times; i++) {
        if (i > 0) screenshot(run);
        pressButton();
        screenshot(run);
    }
}

// A click at a point of a view of fovW x fovH (origin at the centre, y up)
// shown in a window of winW x winH at the screen's corner. The program holds
// the pointer and moves it by relative motion only, so the click first makes
// it let go: pushed past the window's edge, a menu's pointer releases the
// grab (pushes it has not taken yet add up to less, so they go on until it
// lets go). It puts the X pointer where its own was; then the X pointer goes
// to the point, and the press takes the pointer again there and counts as a
// click there.
void clickInView(GameRun& run, float x, float y, int fovW, int fovH, int winW, int winH) {
    // The first motion after a grab is skipped without recentring, so each
    // push left comes with a step back that the next push can count on.
    EXPECT_TRUE(TestDeadline::waitFor([] {
        if (!gameHoldsPointer()) return true;
        xdotool("mousemove_relative -- -400 0");
        pause(60);
        xdotool("mousemove_relative -- 50 0");
        pause(60);
        return false;
    }, TestDeadline::SECONDS, 0)) << "the game kept the pointer";
    const int wx = int((x + float(fovW / 2)) * float(winW) / float(fovW) + 0.5f);
    const int wy = int(float(winH) - (y + float(fovH / 2)) * float(winH) / float(fovH) + 0.5f);
    EXPECT_TRUE(TestDeadline::waitFor([&] {
        xdotool("mousemove " + std::to_string(wx) + " " + std::to_string(wy));
        return pointerAt(wx, wy);
    }, TestDeadline::SECONDS, 100)) << "the pointer did not reach " << wx << ", " << wy;
    clickHere(run);
}

void clickAt(GameRun& run, float x, float y) { clickInView(run, x, y, FOV_W, FOV_H, WINDOW_W, WINDOW_H); }

// Clicks at a point of a 640 x 480 view in a window of that size until the
// screen is on top: one that changed nothing by the frame after it (a button
// still disabled) is repeated. Clicks at the same point also step through
// screens on the way.
bool clickUntilScreen(GameRun& run, float x, float y, const std::string& screen, int clicks = 5) {
    for (int i = 0; i < clicks && run.running() && run.topScreen() != screen; ++i) {
        const std::string before = run.topScreen();
        clickInView(run, x, y, 640, 480, 640, 480);
        screenshot(run); // the frame that shows the screen it opened
        if (run.topScreen() == before) pause(500);
    }
    return run.topScreen() == screen;
}

// The pointer to a point of the view in full screen, where the program never
// lets go of it: pushed into the view's bottom-left corner, where it is held,
// then moved by the view distance (the pointer moves one unit per pixel at
// the default sensitivity) in steps that stay on the screen from its centre.
// Each motion is taken before the next goes: near the screen's edge SDL drops
// the motions still waiting.
void pointInFullScreen(GameRun& run, int x, int y, int fovW, int fovH) {
    for (int i = 0; i < 3; i++) {
        xdotool("mousemove_relative -- -300 300");
        screenshot(run);
    }
    for (int dx = x + fovW / 2, dy = y + fovH / 2; dx > 0 || dy > 0;) {
        const int sx = dx > 200 ? 200 : dx, sy = dy > 200 ? 200 : dy;
        xdotool("mousemove_relative -- " + std::to_string(sx) + " " + std::to_string(-sy));
        screenshot(run);
        dx -= sx;
        dy -= sy;
    }
}

// Waits until the screen is on top, ending the maker's logo and the title
// over the main menu early with a click each (the loader and the
// configuration check close by themselves). A click that did not end a
// screen by the frame after it (it came too early) is repeated.
bool skipIntros(GameRun& run, const std::string& screen) {
    TestDeadline::waitFor([&] {
        const std::string top = run.topScreen();
        if (top == "ContextZemtroviaLogo" || top == "ContextLogo") {
            clickHere(run);
            screenshot(run);
        }
        return run.topScreen() == screen || !run.running();
    }, TestDeadline::SECONDS, 50);
    return run.topScreen() == screen;
}

// Past the start-up screens to the main menu, adding the first profile on
// the name screen that the main menu opens. Until the name is taken.
void reachMainMenu(GameRun& run, const char* name) {
    const std::string profiles = run.userFolder + "Corvana2demo.pro";
    for (int attempt = 0; attempt < 5 && !exists(profiles) && run.running(); attempt++) {
        if (!skipIntros(run, "ContextNewUser")) continue;
        for (const char* c = name; *c; c++) press(std::string(1, *c));
        screenshot(run); // the name typed before Return comes
        press("Return");
        TestDeadline::waitFor([&] { return exists(profiles) || !run.running(); });
    }
}

// Presses the keys until the program ends, each time waiting a moment for it.
bool closeWith(GameRun& run, const std::string& keys) {
    for (int k = 0; k < 3 && run.running(); k++) {
        press(keys);
        for (int i = 0; i < 30 && run.running(); i++) pause(50);
    }
    return !run.running();
}

// A run that ends with screens still on the stack (a URL button, the
// window's close control) leaves them alive to the end of the process, as
// the stack is meant to; the sanitizer's leak check would list them.
void startWithoutLeakCheck(GameRun& run, const std::string& program = CORVANA2DEMO_PATH) {
    const char* previous = getenv("ASAN_OPTIONS");
    const std::string options = previous ? previous : "";
    setenv("ASAN_OPTIONS", (options + ":detect_leaks=0").c_str(), 1);
    run.start(program);
    if (previous)
        setenv("ASAN_OPTIONS", options.c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
}

// startWithoutLeakCheck with a stand-in browser first on the program's PATH:
// it writes the page it is asked to open into "opened" in the run's folder
// and ends with status.
void startWithStandInBrowser(GameRun& run, int status = 0) {
    system(("mkdir -p '" + run.folder + "/bin'").c_str());
    std::ofstream(run.folder + "/bin/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << run.folder << "/opened'\nexit "
                                                << status << "\n";
    chmod((run.folder + "/bin/xdg-open").c_str(), 0755);
    const std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (run.folder + "/bin:" + path).c_str(), 1);
    startWithoutLeakCheck(run);
    setenv("PATH", path.c_str(), 1);
}

// The game window's size as X reports it ("" when there is none).
std::string windowSize() {
    FILE* out = popen("xdotool search --onlyvisible --name '^Corvana2demo' getwindowgeometry 2>/dev/null", "r");
    if (!out) return std::string();
    char line[256];
    std::string size;
    while (fgets(line, sizeof line, out))
        if (const char* g = strstr(line, "Geometry: ")) size = std::string(g + 10, strcspn(g + 10, "\n"));
    pclose(out);
    return size;
}

bool waitForWindowSize(const std::string& size) {
    return TestDeadline::waitFor([&] { return windowSize() == size; }, TestDeadline::SECONDS, 100);
}

// The saved block from the ".hst" file as the program wrote it; empty when it
// does not check out.
std::vector<uint8_t> savedBlock(const GameRun& run) {
    std::vector<uint8_t> block(2744);
    std::string dir = run.userFolder.substr(0, run.userFolder.size() - 1);
    if (!FileManager::loadProtectedData(dir.c_str(), "Corvana2demo.hst", "2.60", block.data(), 2744)) return {};
    return block;
}

int32_t int32At(const std::vector<uint8_t>& block, size_t offset) {
    int32_t v;
    memcpy(&v, &block[offset], 4);
    return v;
}

TEST(GameMenus, ProfilesAreAddedFromTheMainMenuAndTheMenusStandOverTheBackdrop) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run("screenWidth=640\nscreenHeight=480\nfovWidth=" + std::to_string(FOV_W) +
                "\nfovHeight=" + std::to_string(FOV_H) + "\n");
    run.start();
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    // No profile yet: the main menu opens the name screen.
    reachMainMenu(run, "ann");
    int current = -1;
    std::vector<std::string> names = profiles(run, &current);
    ASSERT_EQ(names, std::vector<std::string>({"ann"})) << "written as soon as it is added";
    EXPECT_EQ(current, 0);

    // The main menu over the backdrop, once it has opened: clear colour above the sky picture.
    JpegImage menu = readJpeg(settledScreenshot(run));
    ASSERT_EQ(menu.width, WINDOW_W);
    ASSERT_EQ(menu.height, WINDOW_H);
    for (int x : {4, 160, 320, 480, 635}) EXPECT_TRUE(isClearColour(menu, x, 4));
    EXPECT_TRUE(isClearColour(menu, 10, 60));
    // The credits button (view y -120) is no part of the backdrop.
    const int creditsRow = int(240 + 120 * float(WINDOW_H) / FOV_H);
    bool captionSeen = false;
    for (int x = 280; x <= 360; ++x) captionSeen = captionSeen || !isClearColour(menu, x, creditsRow);
    EXPECT_TRUE(captionSeen);
    // Its body, and the quit button's, beside their captions.
    EXPECT_TRUE(captionsRead(menu, 400, creditsRow));
    EXPECT_TRUE(captionsRead(menu, 150, 456));

    // The greeting opens the profile list; its Add button the name screen.
    clickAt(run, 0.0f, 310.0f); // inside the greeting, 20 below its line (y 330)
    clickAt(run, -160.0f, -128.0f); // Add
    // Typed fast, 10 ms a letter, capitals (each with its Shift) and a
    // repeated letter: every one reaches the name.
    xdotool("type --delay 10 ZEDANMZKMMMQWXY");
    screenshot(run);
    press("Return");
    TestDeadline::waitFor([&] { return profiles(run, &current).size() >= 2; });
    names = profiles(run, &current);
    EXPECT_EQ(names, std::vector<std::string>({"ann", "ZEDANMZKMMMQWXY"}));
    EXPECT_EQ(current, 1);

    // The credits, over the same backdrop, without the menu's buttons.
    clickAt(run, 0.0f, -120.0f);
    pause(1500);
    JpegImage credits = readJpeg(screenshot(run));
    ASSERT_EQ(credits.width, WINDOW_W);
    for (int x : {4, 160, 320, 480, 635}) EXPECT_TRUE(isClearColour(credits, x, 4));
    EXPECT_GT(largestDistance(menu, credits, 280, 360, creditsRow), 60) << "the credits button is gone";
    EXPECT_LT(colourDistance(menu, credits, 20, 300), 30) << "the sky beside the buttons is the same";

    // Back to the main menu and out through its quit button.
    press("Escape");
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    clickAt(run, -220.0f, -450.0f);
    EXPECT_EQ(run.wait(), 0) << run.errors();
    names = profiles(run, &current);
    EXPECT_EQ(names, std::vector<std::string>({"ann", "ZEDANMZKMMMQWXY"}));
    EXPECT_EQ(current, 1);
    // The log is written out as the program ends.
    EXPECT_NE(run.log().find("onCurrentProfileChanged(): Changing profile to 'ann'..."), std::string::npos);
    EXPECT_NE(run.log().find("onCurrentProfileChanged(): Changing profile to 'ZEDANMZKMMMQWXY'..."), std::string::npos);
}

TEST(GameMenus, AfterAFatalErrorTheNextStartOffersTheErrorReport) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run("screenWidth=640\nscreenHeight=480\nfovWidth=" + std::to_string(FOV_W) +
                "\nfovHeight=" + std::to_string(FOV_H) + "\n");
    startWithoutLeakCheck(run); // ends in the fatal error, everything alive
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    reachMainMenu(run, "ann");
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    // Ctrl+Alt+X on the main menu: the fatal error leaves the crash files.
    xdotool("keydown Control_L");
    xdotool("keydown Alt_L");
    xdotool("keydown x");
    pause(300);
    xdotool("keyup x");
    xdotool("keyup Alt_L");
    xdotool("keyup Control_L");
    ASSERT_EQ(run.wait(), 255) << run.errors();
    ASSERT_TRUE(exists(run.userFolder + "crash.Corvana2demo.log"));

    // The next start shows the report before the maker's logo. With the
    // connection untested only Cancel works; Escape does not close it.
    run.start();
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    ASSERT_TRUE(run.waitForScreen("ContextErrorReport")) << run.topScreen();
    for (int i = 0; i < 6; i++) press("Escape");
    screenshot(run); // a frame after the last
    EXPECT_EQ(run.topScreen(), "ContextErrorReport");
    // The first press only takes the pointer: make it where the report has no widget.
    clickAt(run, 0.0f, 300.0f);
    clickAt(run, -220.0f, -450.0f); // Cancel
    // The maker's logo, then the title over the main menu.
    ASSERT_TRUE(skipIntros(run, "MyContextMain")) << run.topScreen();
    clickAt(run, -220.0f, -450.0f); // Quit
    EXPECT_EQ(run.wait(), 0) << run.errors();
    const std::string log = run.log();
    const size_t report = log.find("addMessage(): > An error report has been found on your computer.");
    EXPECT_NE(report, std::string::npos) << log;
    EXPECT_NE(log.find("addMessage(): > you'll need to run the network wizard first."), std::string::npos);
    EXPECT_NE(log.find("Done. Clean exit."), std::string::npos);
    EXPECT_TRUE(exists(run.userFolder + "crash.Corvana2demo.log")) << "kept until the connection is tested";
}

// The options pages and the high-score tables through the real program: each
// page's choices land in the saved block and the settings file, the new video
// mode resizes the window at once and opens the next start at that size, and
// the world-wide tables end the program and open the online table.
TEST(GameMenus, OptionsChosenInTheMenusSurviveARestart) {
    SKIP_WITHOUT_X_INPUT();
    std::vector<uint8_t> first;
    {
        GameRun run("screenWidth=640\nscreenHeight=480\n");
        startWithStandInBrowser(run); // it ends through the online tables' button
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        reachMainMenu(run, "ann");
        auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };

        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextOptions")) << run.topScreen();        // Options...
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 80.0f, "ContextOptionsGameplay")) << run.topScreen(); // Gameplay
        click(0.0f, 20.0f);  // in-game help off
        click(0.0f, -20.0f); // cheats on
        ASSERT_TRUE(clickUntilScreen(run, -220.0f, -190.0f, "ContextOptions")) << run.topScreen();  // Back
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -40.0f, "ContextOptionsSound")) << run.topScreen(); // Sound
        click(168.0f, 80.0f);    // quality up: very high
        click(-40.0f, 0.0f); // music 15 -> 12
        clickHere(run, 2);
        press("Escape");
        ASSERT_TRUE(run.waitForScreen("ContextOptions")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 40.0f, "ContextOptionsControls")) << run.topScreen(); // Controls
        // Hovered, the key item takes the next key as player 1's fire: F9, of
        // the screenshot after the click.
        click(0.0f, -40.0f);
        press("Escape");
        ASSERT_TRUE(run.waitForScreen("ContextOptions")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 0.0f, "ContextOptionsGraphics")) << run.topScreen(); // Graphics
        click(184.0f, 40.0f); // fps 100 -> 60
        clickHere(run, 7);
        click(280.0f, 80.0f); // 800x600
        click(-220.0f, -190.0f); // Back applies: a new window size
        EXPECT_TRUE(waitForWindowSize("800x600")) << windowSize();
        press("Escape"); // the hub
        ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();

        // The tables, reset after the question, then the online tables.
        auto wide = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 800, 600); };
        wide(0.0f, -40.0f);    // High Scores
        wide(172.0f, -190.0f); // More options...
        wide(0.0f, 80.0f);     // World-wide scores
        EXPECT_EQ(run.wait(), 0) << run.errors();
        TestDeadline::waitFor([&] { return exists(run.folder + "/opened"); });
        EXPECT_EQ(readFile(run.folder + "/opened"), "http://www.zemtrovia.com/corvana2/highscoretable.php");
        const std::string log = run.log();
        EXPECT_NE(log.find("Restarting to apply configuration."), std::string::npos);

        first = savedBlock(run);
        ASSERT_EQ(first.size(), 2744u);
        EXPECT_EQ(int32At(first, 2512), 12) << "music volume";
        EXPECT_EQ(int32At(first, 2504), 2) << "audio quality";
        EXPECT_EQ(int32At(first, 2496), 60) << "maximum fps";
        EXPECT_EQ(int32At(first, 2492), 2) << "video mode";
        EXPECT_EQ(int32At(first, 2692), 67) << "player 1's fire";
        EXPECT_EQ(first[2525], 1) << "cheats";
        EXPECT_EQ(first[2526], 0) << "in-game help";
        const std::string cfg = readFile(run.userFolder + "Corvana2demo.cfg");
        EXPECT_NE(cfg.find("frequency=44100"), std::string::npos) << cfg;
        EXPECT_NE(cfg.find("screenWidth=800"), std::string::npos) << cfg;

        // The next start opens at 800 x 600 and keeps every byte.
        run.start();
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        EXPECT_EQ(windowSize(), "800x600");
        // Past the logo and the title over the main menu, then the menu's
        // quit button.
        ASSERT_TRUE(skipIntros(run, "MyContextMain")) << run.topScreen();
        for (int i = 0; i < 3 && run.running(); i++) {
            wide(-220.0f, -190.0f);
            for (int j = 0; j < 40 && run.running(); j++) pause(50);
        }
        EXPECT_EQ(run.wait(), 0);
        std::vector<uint8_t> second = savedBlock(run);
        ASSERT_EQ(second.size(), 2744u);
        for (size_t offset : {2492, 2496, 2504, 2512, 2692})
            EXPECT_EQ(int32At(second, offset), int32At(first, offset)) << offset;
        EXPECT_EQ(second[2525], 1);
        EXPECT_EQ(second[2526], 0);
        const std::string log2 = run.log();
        const size_t obtained = log2.find("Obtained audio spec:");
        ASSERT_NE(obtained, std::string::npos);
        EXPECT_EQ(log2.find("freq: ", obtained), log2.find("freq: 44100", obtained)) << "a 44,100 Hz device";
    }
}

// From a full-screen start (the display offers 1024 x 768 only), switching
// full screen off on the graphics page gives a 640 x 480 window at once, and
// the settings file keeps the window for the next start.
TEST(GameMenus, FullScreenSwitchedOffGivesAWindow) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    std::ofstream(run.userFolder + "Corvana2demo.cfg") << "[PlimGraphics]\nbFullScreen=Yes\n";
    run.start();
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    ASSERT_TRUE(waitForWindowSize("1024x768")) << windowSize();
    reachMainMenu(run, "ann");
    auto click = [&run](int x, int y) {
        pointInFullScreen(run, x, y, 640, 480);
        clickHere(run);
    };
    click(0, -80);    // Options...
    click(0, 0);      // Graphics
    click(185, 0);    // full screen off
    pointInFullScreen(run, -220, -190, 640, 480);
    pressButton(); // Back: the keyboard's focus leaves with the full-screen window
    EXPECT_TRUE(waitForWindowSize("640x480")) << windowSize();
    // Without a window manager the keyboard focus went with the full-screen
    // window: out through the buttons.
    clickInView(run, -220.0f, -190.0f, 640, 480, 640, 480); // the hub's Back
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    clickInView(run, -220.0f, -190.0f, 640, 480, 640, 480); // the main menu's Quit
    EXPECT_EQ(run.wait(), 0) << run.errors();
    const std::string cfg = readFile(run.userFolder + "Corvana2demo.cfg");
    EXPECT_NE(cfg.find("bFullScreen=No"), std::string::npos) << cfg;
    std::vector<uint8_t> block = savedBlock(run);
    ASSERT_EQ(block.size(), 2744u);
    EXPECT_EQ(block[2500], 0) << "the full-screen switch";
}

// In multi-language mode the hub's Language button forgets the language
// choice, whichever way its dialog closes: the settings file keeps no
// language, and the next start asks for one.
TEST(GameMenus, LanguageMakesTheNextStartAskAgain) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    const std::string game = run.copyProgram(), staticPath = run.folder + "/bin/Corvana2demo.cfg.static";
    std::string settings = readFile(staticPath);
    const size_t key = settings.find("bMultilanguage=No");
    ASSERT_NE(key, std::string::npos);
    settings.replace(key, 17, "bMultilanguage=Yes");
    unlink(staticPath.c_str());
    std::ofstream(staticPath) << settings;
    std::ofstream(run.userFolder + "Corvana2demo.cfg", std::ios::app) << "[Plim]\ndefaultLanguage=0\n";
    run.start(game);
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    reachMainMenu(run, "ann");
    auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextOptions")) << run.topScreen(); // Options...
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, -120.0f, "ContextDialog")) << run.topScreen(); // Language
    press("Escape");      // the dialog
    ASSERT_TRUE(run.waitForScreen("ContextOptions")) << run.topScreen();
    press("Escape");      // the hub
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    click(-220.0f, -190.0f); // Quit
    EXPECT_EQ(run.wait(), 0) << run.errors();
    const std::string cfg = readFile(run.userFolder + "Corvana2demo.cfg");
    EXPECT_NE(cfg.find("defaultLanguage=-1"), std::string::npos) << cfg;

    startWithoutLeakCheck(run, game); // closed on the language screen
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    ASSERT_TRUE(run.waitForScreen("ContextLanguageSelect")) << run.topScreen();
    press("alt+F4");
    EXPECT_EQ(run.wait(), 0) << run.errors();
    EXPECT_NE(run.log().find("Multilanguage mode (-1)."), std::string::npos);
}

// The network wizard through the whole program, posting through http_proxy to
// the local web service: the address the service saw lands in the saved block.
TEST(GameMenus, TheNetworkWizardStoresTheAddressTheServiceSaw) {
    SKIP_WITHOUT_X_INPUT();
    WebService service;
    GameRun run("screenWidth=640\nscreenHeight=480\n");
    setenv("http_proxy", service.proxyUrl().c_str(), 1);
    run.start();
    unsetenv("http_proxy");
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    reachMainMenu(run, "ann");
    auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextOptions")) << run.topScreen();        // Options...
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextNetworkWizard1")) << run.topScreen(); // Network Wizard
    click(220.0f, -190.0f); // Next: windowed, the test starts at once
    TestDeadline::waitFor([&] { return !service.answer(1).empty(); });
    // Next once the test is over: the configuration page; Finish: the hub.
    ASSERT_TRUE(clickUntilScreen(run, 220.0f, -190.0f, "ContextOptions", 8)) << run.topScreen();
    // Back to the main menu (the hub's Back lies where the menu's Quit does) and out.
    ASSERT_TRUE(clickUntilScreen(run, -220.0f, -190.0f, "MyContextMain")) << run.topScreen();
    for (int i = 0; i < 3 && run.running(); i++) {
        click(-220.0f, -190.0f);
        for (int j = 0; j < 40 && run.running(); j++) pause(50);
    }
    ASSERT_EQ(run.wait(), 0) << run.errors();

    const std::string answer = service.answer(1);
    ASSERT_EQ(answer.rfind("127.0.0.1:", 0), 0u) << answer;
    EXPECT_EQ(service.fields(1), "gameName\t\t12\ngameVersion\t\t4\n");
    const int port = atoi(answer.c_str() + 10);
    std::vector<uint8_t> block = savedBlock(run);
    ASSERT_EQ(block.size(), 2744u);
    EXPECT_EQ(block[2609], 1) << "network tested";
    const std::vector<uint8_t> address = {0, 2, uint8_t(port >> 8), uint8_t(port), 0x7f, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 2612, block.begin() + 2628), address);
}

// Options, Help: each link ends the program and the stand-in browser gets its
// absolute address. Where the browser fails to start, the game stays and
// tells the address in a dialog.
TEST(GameMenus, TheHelpLinksEndTheGameAndOpenTheirPages) {
    SKIP_WITHOUT_X_INPUT();
    struct Link {
        float y;
        bool online;
        int status;
    } links[] = {{50.0f, false, 0}, {0.0f, true, 0}, {0.0f, true, 4}};
    for (const Link& link : links) {
        GameRun run("screenWidth=640\nscreenHeight=480\n");
        startWithStandInBrowser(run, link.status); // it ends with the pages on the stack
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        reachMainMenu(run, "ann");
        auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -80.0f, "ContextOptions")) << run.topScreen(); // Options...
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -190.0f, "ContextHelp")) << run.topScreen();   // Help
        click(0.0f, link.y);
        if (link.status != 0) {
            EXPECT_TRUE(run.waitForLog("showNotices(): Could not open 'http://www.zemtrovia.com/corvana2/onlinehelp.php': "
                                       "xdg-open ended with status 4. Open it in your browser yourself.", 20.0));
            EXPECT_TRUE(run.waitForScreen("ContextDialog")) << run.topScreen();
            kill(run.pid, SIGTERM);
            EXPECT_EQ(run.wait(), 0) << "the game stayed until it was ended";
            continue;
        }
        EXPECT_EQ(run.wait(), 0) << run.errors();
        TestDeadline::waitFor([&] { return exists(run.folder + "/opened"); });
        char real[4096]; // the data folder: the program's own
        ASSERT_NE(realpath(PLIM_TEST_BINARY_DIR, real), nullptr);
        EXPECT_EQ(readFile(run.folder + "/opened"), link.online ? std::string("http://www.zemtrovia.com/corvana2/onlinehelp.php")
                                                                : "file://" + std::string(real) + "/readme.htm");
    }
}

// High Scores, More options, Upload scores through the whole program: the
// network wizard the first time, then the upload of the saved block; the next
// start goes straight to the upload page, whose Cancel closes it at once while
// the service stays silent, and the program still ends cleanly.
TEST(GameMenus, TheScoreUploadSendsTheSavedBlock) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run("screenWidth=640\nscreenHeight=480\n");
    auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
    // High Scores, More options..., Upload scores: each once its screen is up.
    auto openUpload = [&](const char* upload) {
        ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, -40.0f, "ContextHighScores")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 172.0f, -190.0f, "ContextHighScoresOptions")) << run.topScreen();
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 40.0f, upload)) << run.topScreen();
    };
    {
        WebService service;
        setenv("http_proxy", service.proxyUrl().c_str(), 1);
        startWithoutLeakCheck(run); // it ends by its window with screens open
        unsetenv("http_proxy");
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        reachMainMenu(run, "ann");
        ASSERT_NO_FATAL_FAILURE(openUpload("ContextNetworkWizard1")); // untested: the network wizard
        // Next: the test, until the service has answered.
        click(220.0f, -190.0f);
        TestDeadline::waitFor([&] { return !service.answer(1).empty(); });
        // Next once the test is over, then Finish: back on the options.
        ASSERT_TRUE(clickUntilScreen(run, 220.0f, -190.0f, "ContextHighScoresOptions", 8)) << run.topScreen();
        // Upload scores, then Next until the service has the fields.
        ASSERT_TRUE(clickUntilScreen(run, 0.0f, 40.0f, "ContextScoreUpload")) << run.topScreen();
        click(220.0f, -190.0f);
        TestDeadline::waitFor([&] { return !service.fields(2).empty(); });
        // Finish, once the upload is over.
        ASSERT_TRUE(clickUntilScreen(run, 220.0f, -190.0f, "ContextHighScoresOptions", 8)) << run.topScreen();
        closeWith(run, "alt+F4");
        ASSERT_EQ(run.wait(), 0) << run.errors();

        EXPECT_EQ(service.request(2).rfind("POST http://www.zemtrovia.com/corvana2/highscoreupload.php HTTP/1.0\r\n", 0),
                  0u);
        EXPECT_EQ(service.fields(2), "HSTfile\tCorvana2demo.hst\t2744\n");
        const std::string sent = service.field(2, 0);
        std::vector<uint8_t> saved = savedBlock(run);
        ASSERT_EQ(saved.size(), 2744u);
        ASSERT_EQ(sent.size(), 2744u);
        for (size_t i = 0; i < saved.size(); i++) {
            if (i < 2720 || i >= 2724) {
                EXPECT_EQ(uint8_t(sent[i]), saved[i]) << "byte " << i;
            }
        }
        EXPECT_EQ(saved[2609], 1);
        const std::string log = run.log();
        const size_t connected = log.find("addMessage(): > Connected.");
        ASSERT_NE(connected, std::string::npos);
        EXPECT_LT(connected, log.find("addMessage(): > HSTfile: Corvana2demo.hst, 2744 bytes"));
        EXPECT_LT(log.find("addMessage(): > HSTfile: Corvana2demo.hst, 2744 bytes"), log.find("addMessage(): > Done.", connected));
    }
    {
        WebService silent("silence");
        setenv("http_proxy", silent.proxyUrl().c_str(), 1);
        startWithoutLeakCheck(run);
        unsetenv("http_proxy");
        ASSERT_TRUE(waitForWindow(run)) << run.errors();
        xdotool("search --onlyvisible --name '^Corvana2demo' windowfocus");
        // Past the maker's logo and the title to the main menu; the first
        // press there only takes the pointer, so it goes where the menu has nothing.
        ASSERT_TRUE(skipIntros(run, "MyContextMain")) << run.topScreen();
        click(-280.0f, 100.0f);
        ASSERT_NO_FATAL_FAILURE(openUpload("ContextScoreUpload")); // tested: the upload page at once
        click(220.0f, -190.0f); // Next
        TestDeadline::waitFor([&] { return !silent.request(1).empty(); });
        click(-220.0f, -190.0f); // Cancel while the service is silent
        closeWith(run, "alt+F4");
        EXPECT_EQ(run.wait(), 0) << run.errors();
        EXPECT_FALSE(silent.request(1).empty());
        const std::string log = run.log();
        EXPECT_NE(log.find("addMessage(): > Starting..."), std::string::npos);
        EXPECT_EQ(log.find("addMessage(): > Connected."), std::string::npos);
        EXPECT_NE(log.find("Done. Clean exit."), std::string::npos);
    }
}

TEST(GameMenus, StartGameLeadsToTheGameTypesWhosePagesSaveTheirOptions) {
    SKIP_WITHOUT_X_INPUT();
    GameRun run;
    run.start();
    ASSERT_TRUE(waitForWindow(run)) << run.errors();
    reachMainMenu(run, "bo");
    ASSERT_TRUE(run.waitForScreen("MyContextMain")) << run.topScreen();
    auto click = [&run](float x, float y) { clickInView(run, x, y, 640, 480, 640, 480); };
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, 0.0f, "ContextGametypes")) << run.topScreen();       // Start Game
    ASSERT_TRUE(clickUntilScreen(run, 0.0f, 100.0f, "ContextRulesCampaign")) << run.topScreen(); // invasion
    click(104.0f, 0.0f);     // difficulty: hard
    click(104.0f, 40.0f);    // with a friend
    ASSERT_TRUE(clickUntilScreen(run, -220.0f, -190.0f, "ContextGametypes")) << run.topScreen(); // Back
    ASSERT_TRUE(clickUntilScreen(run, 220.0f, -190.0f, "ContextMutators")) << run.topScreen();   // mutators...
    click(0.0f, 40.0f);      // berserk mode
    press("Escape");
    ASSERT_TRUE(run.waitForScreen("ContextGametypes")) << run.topScreen();
    ASSERT_TRUE(clickUntilScreen(run, -220.0f, -190.0f, "MyContextMain")) << run.topScreen();    // Back
    click(-220.0f, -190.0f); // Quit
    EXPECT_EQ(run.wait(), 0) << run.errors();

    std::vector<uint8_t> block = savedBlock(run);
    ASSERT_EQ(block.size(), 2744u);
    EXPECT_EQ(int32At(block, 2528), 3); // difficulty
    EXPECT_EQ(int32At(block, 2544), 1); // players
    EXPECT_EQ(block[2571], 1);          // berserk mode
    EXPECT_EQ(block[2570], 0);
}

} // namespace
