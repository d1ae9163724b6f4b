#pragma once
// The game's menus driven through the real program with real X key and mouse
// events (xdotool): its window, F9 screenshots, clicks at points of a view in a
// window or in full screen, the way past the start-up screens to the main menu,
// and the saved files as the program wrote them.
#include "files/FileManager.h"
#include "GameRun.h"
#include "JpegImage.h"
#include "TestDeadline.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

// The game's window is mapped.
inline bool waitForWindow(GameRun& run) {
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
inline std::string screenshot(GameRun& run) {
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
inline std::string settledScreenshot(GameRun& run) {
    std::string last = screenshot(run);
    TestDeadline::waitFor([&] {
        const std::string next = screenshot(run);
        const bool same = next.empty() || readFile(next) == readFile(last);
        last = next;
        return same;
    }, TestDeadline::SECONDS, 0);
    return last;
}

inline Display* display() {
    static Display* const connection = XOpenDisplay(nullptr);
    return connection;
}

// Whether the game holds the pointer: a grab of ours (let go at once) is
// refused while it does. Asked only while no press is on its way to the game,
// which takes the pointer at a press.
inline bool gameHoldsPointer() {
    if (XGrabPointer(display(), DefaultRootWindow(display()), False, 0, GrabModeAsync, GrabModeAsync, None, None,
                     CurrentTime) != GrabSuccess)
        return true;
    XUngrabPointer(display(), CurrentTime);
    XSync(display(), False);
    return false;
}

// The X pointer is at the point of the screen.
inline bool pointerAt(int x, int y) {
    Window root, child;
    int rx = -1, ry = -1, wx, wy;
    unsigned int mask;
    XQueryPointer(display(), DefaultRootWindow(display()), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return rx == x && ry == y;
}

// The names of the used profile slots and the current index, from the ".pro"
// file as the program wrote it; empty when it does not check out.
inline std::vector<std::string> profiles(const GameRun& run, int* current) {
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
inline void pressButton() {
    xdotool("mousedown 1");
    pause(120);
    xdotool("mouseup 1");
}

// A click where the pointer is, and a screenshot after it. Clicking again
// after a click hits the same place (the program holds the pointer there),
// two frames after it at least, so that the button was up in between.
inline void clickHere(GameRun& run, int times = 1) {
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
inline void clickInView(GameRun& run, float x, float y, int fovW, int fovH, int winW, int winH) {
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

// Clicks at a point of a 640 x 480 view in a window of that size until the
// screen is on top: one that changed nothing by the frame after it (a button
// still disabled) is repeated. Clicks at the same point also step through
// screens on the way.
inline bool clickUntilScreen(GameRun& run, float x, float y, const std::string& screen, int clicks = 5) {
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
inline void pointInFullScreen(GameRun& run, int x, int y, int fovW, int fovH) {
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
inline bool skipIntros(GameRun& run, const std::string& screen) {
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
inline void reachMainMenu(GameRun& run, const char* name) {
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
inline bool closeWith(GameRun& run, const std::string& keys) {
    for (int k = 0; k < 3 && run.running(); k++) {
        press(keys);
        for (int i = 0; i < 30 && run.running(); i++) pause(50);
    }
    return !run.running();
}

// A run that ends with screens still on the stack (a URL button, the
// window's close control) leaves them alive to the end of the process, as
// the stack is meant to; the sanitizer's leak check would list them.
inline void startWithoutLeakCheck(GameRun& run, const std::string& program = CORVANA2DEMO_PATH) {
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
inline void startWithStandInBrowser(GameRun& run, int status = 0) {
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
inline std::string windowSize() {
    FILE* out = popen("xdotool search --onlyvisible --name '^Corvana2demo' getwindowgeometry 2>/dev/null", "r");
    if (!out) return std::string();
    char line[256];
    std::string size;
    while (fgets(line, sizeof line, out))
        if (const char* g = strstr(line, "Geometry: ")) size = std::string(g + 10, strcspn(g + 10, "\n"));
    pclose(out);
    return size;
}

inline bool waitForWindowSize(const std::string& size) {
    return TestDeadline::waitFor([&] { return windowSize() == size; }, TestDeadline::SECONDS, 100);
}

// The saved block from the ".hst" file as the program wrote it; empty when it
// does not check out.
inline std::vector<uint8_t> savedBlock(const GameRun& run) {
    std::vector<uint8_t> block(2744);
    std::string dir = run.userFolder.substr(0, run.userFolder.size() - 1);
    if (!FileManager::loadProtectedData(dir.c_str(), "Corvana2demo.hst", "2.60", block.data(), 2744)) return {};
    return block;
}

inline int32_t int32At(const std::vector<uint8_t>& block, size_t offset) {
    int32_t v;
    memcpy(&v, &block[offset], 4);
    return v;
}
