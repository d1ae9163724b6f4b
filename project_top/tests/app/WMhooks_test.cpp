// The entry loop end to end: the real SDL_main, doFrame and shutdown over the
// real loader and data, in a child process with a test application object.
// Real X input (xdotool) answers the quit question; pushed SDL events drive
// the focus hooks and the quit keys; a stand-in xdg-open records the page
// opened before the game ends.
#include "screens/ContextDialog.h"
#include "app/ContextManager.h"
#include "app/Global.h"
#include "LogText.h"
#include "widgets/MenuButton.h"
#include "core/Plim.h"
#include "files/FileManager.h"
#include "PretendDisk.h"
#include "ProgramRun.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// The screen the test application puts at the bottom of the stack.
class BottomScreen : public Context {
public:
    BottomScreen() { bEscapeAsksQuit = true; bDeleteWhenDone = true; }
    void onActivate(bool first) override { writeMarker("active"); }
    void onDeactivate(bool removed) override {
        ContextDialog* dialog = dynamic_cast<ContextDialog*>(gGlobal->contextManager->getTop());
        if (removed && onRemoved) onRemoved();
        if (removed || !dialog) return;
        // Where "Yes" lies from the pointer, in virtual pixels (y up).
        V3 to = dialog->pButton1->position - mouseWorld;
        writeMarker("dialog", std::to_string(int(to.x)) + " " + std::to_string(int(to.y)));
    }
    void tickContents(double time, double dt) override {
        Context::tickContents(time, dt);
        if (onTick) onTick(this, ++ticks);
    }
    int ticks = 0;
    void (*onTick)(BottomScreen*, int) = nullptr;
    static void (*onRemoved)();
};
void (*BottomScreen::onRemoved)() = nullptr;

BottomScreen* bottom = nullptr;

class TestApp : public Global {
public:
    void pushFirstContexts() override {
        bottom = new BottomScreen();
        bottom->onTick = tickHook;
        contextManager->push(bottom);
    }
    static void (*tickHook)(BottomScreen*, int);
};
void (*TestApp::tickHook)(BottomScreen*, int) = nullptr;

Global* makeApp() { return new TestApp(); }

void pushEvent(SDL_Event event) { SDL_PushEvent(&event); }

SDL_Event keyDown(SDLKey key, int modifiers) {
    SDL_Event e = {};
    e.type = e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    e.key.keysym.mod = SDLMod(modifiers);
    return e;
}

SDL_Event active(int gain, int state) {
    SDL_Event e = {};
    e.type = e.active.type = SDL_ACTIVEEVENT;
    e.active.gain = Uint8(gain);
    e.active.state = Uint8(state);
    return e;
}

class EntryLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
        TestApp::tickHook = nullptr;
        BottomScreen::onRemoved = nullptr;
    }
    static void xdotool(const std::string& arguments) {
        ASSERT_EQ(system(("xdotool " + arguments).c_str()), 0) << arguments;
    }
    // Down and up a few frames apart, so that a frame sees the press.
    static void press(const std::string& down, const std::string& up) {
        xdotool(down);
        usleep(100000);
        xdotool(up);
    }
};

TEST_F(EntryLoopTest, EscapeAndYesWithRealInputEndTheRunCleanly) {
    if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";
    ProgramRun run;
    run.start(makeApp);
    // Active once the start-up screens above it have finished.
    ASSERT_TRUE(run.waitForFile("active"));
    press("keydown Escape", "keyup Escape");
    ASSERT_TRUE(run.waitForFile("dialog")) << run.log();
    int dx = 0, dy = 0;
    ASSERT_EQ(sscanf(run.read("dialog").c_str(), "%d %d", &dx, &dy), 2);
    xdotool("mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(-dy));
    usleep(100000);
    press("mousedown 1", "mouseup 1");
    ASSERT_EQ(run.wait(), 0);

    LogText log(run.log());
    int loading = log.find("Loader(): Loading resources...");
    int entering = log.find("doFrame(): Entering game loop.");
    EXPECT_GE(loading, 0);
    EXPECT_GT(entering, loading);
    EXPECT_GT(log.findPrefix("initPostLoader(): Global initialization complete at t="), entering);
    EXPECT_EQ(log.lines.back(), "~Plim(): Done. Clean exit.");
}

TEST_F(EntryLoopTest, FocusEventsReachTheHooksAndOnlyAltOrMetaF4Quits) {
    TestApp::tickHook = [](BottomScreen* screen, int tick) {
        if (tick == 2) {
            // Lost and regained in one pass: the engine stays running.
            pushEvent(active(0, SDL_APPINPUTFOCUS));
            pushEvent(active(0, SDL_APPMOUSEFOCUS)); // mouse focus alone: no hook
            pushEvent(active(1, SDL_APPINPUTFOCUS | SDL_APPACTIVE));
        }
        if (tick == 5) {
            pushEvent(keyDown(SDLK_F4, 0));
            pushEvent(keyDown(SDLK_F4, KMOD_LSHIFT));
            pushEvent(keyDown(SDLK_F4, KMOD_LCTRL));
        }
        if (tick == 10) pushEvent(keyDown(SDLK_F4, KMOD_RALT));
        if (tick > 11) writeMarker("ticked too long");
    };
    ProgramRun run;
    run.start(makeApp);
    ASSERT_EQ(run.wait(), 0);
    EXPECT_FALSE(EngineTestFolder::exists(run.folder.root + "/ticked too long"));

    LogText log(run.log());
    int lost = log.find("windowFocusLost(): Window focus lost.");
    EXPECT_GE(lost, 0);
    EXPECT_GT(log.find("windowFocusGained(): Window focus gained."), lost);
    EXPECT_EQ(log.count("windowFocusLost(): Window focus lost."), 1);
    EXPECT_EQ(log.count("windowFocusGained(): Window focus gained."), 1);
    EXPECT_EQ(log.lines.back(), "~Plim(): Done. Clean exit.");
}

TEST_F(EntryLoopTest, TheWindowsCloseControlQuitsAfterTheFrame) {
    TestApp::tickHook = [](BottomScreen* screen, int tick) {
        if (tick == 3) {
            SDL_Event quit = {};
            quit.type = quit.quit.type = SDL_QUIT;
            pushEvent(quit);
            pushEvent(quit);
        }
        if (tick > 4) writeMarker("ticked too long");
    };
    ProgramRun run;
    run.start(makeApp);
    ASSERT_EQ(run.wait(), 0);
    EXPECT_FALSE(EngineTestFolder::exists(run.folder.root + "/ticked too long"));
    LogText log(run.log());
    EXPECT_EQ(log.count("~Plim(): Initiating shutdown..."), 1);
    EXPECT_EQ(log.lines.back(), "~Plim(): Done. Clean exit.");
}

// A notice no screen showed (a file set aside as the game ends) is said at
// exit after the program's name, as the game's other lines are.
TEST_F(EntryLoopTest, ANoticeNoScreenShowedIsSaidAtExitAfterTheProgramsName) {
    TestApp::tickHook = [](BottomScreen*, int tick) { if (tick == 2) gGlobal->contextManager->quitByPlayer(); };
    BottomScreen::onRemoved = [] { writeMarker("damaged"); FileManager::keepDamagedFile("damaged", "a test's"); };
    ProgramRun run;
    run.errorsPath = run.folder.root + "/errors.txt";
    run.start(makeApp);
    ASSERT_EQ(run.wait(), 0);
    const std::string errors = run.read("errors.txt");
    EXPECT_NE(errors.find("Corvana2demo: the file 'damaged' was damaged and has been kept as 'damaged.bad'."),
              std::string::npos) << errors;
}

// A stand-in for xdg-open that records its arguments and the engine's log's
// last line when it ran.
void writeFakeOpener(const std::string& folder) {
    EngineTestFolder::writeFile(folder + "/bin/xdg-open",
                                "#!/bin/sh\n"
                                "printf '%s|' \"$@\" > opened.part\n"
                                "tail -n 1 data/2.60/Corvana2demo.log >> opened.part\n"
                                "mv opened.part opened\n");
    chmod((folder + "/bin/xdg-open").c_str(), 0755);
}

// The game ends once the opener has ended well, and not before.
TEST_F(EntryLoopTest, AUrlOpensWithoutAShellAndThenTheGameEnds) {
    TestApp::tickHook = [](BottomScreen*, int tick) {
        if (tick == 1) gGlobal->openLink("http://example.invalid/a b;touch injected");
    };
    ProgramRun run;
    system(("mkdir -p '" + run.folder.root + "/bin'").c_str());
    writeFakeOpener(run.folder.root);
    std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (run.folder.root + "/bin:" + path).c_str(), 1);
    run.start(makeApp);
    int status = run.wait();
    setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(run.waitForFile("opened"));
    std::string opened = run.read("opened");
    EXPECT_EQ(opened.substr(0, opened.find('|') + 1), "http://example.invalid/a b;touch injected|");
    LogText log(run.log());
    EXPECT_EQ(log.count("followLink(): Opened 'http://example.invalid/a b;touch injected': the game ends."), 1);
    EXPECT_EQ(log.lines.back(), "~Plim(): Done. Clean exit.");
    EXPECT_FALSE(EngineTestFolder::exists(run.folder.root + "/injected"));
}

// A link that opened ends the game as the player's quit: with the disk full
// by then, the failed saves are asked about before anything is lost.
TEST_F(EntryLoopTest, AnOpenedLinkQuitsThroughTheFailedSavesQuestion) {
    TestApp::tickHook = [](BottomScreen*, int tick) {
        if (tick == 1) gGlobal->openLink("http://example.invalid/");
    };
    ProgramRun run;
    system(("mkdir -p '" + run.folder.root + "/bin'").c_str());
    EngineTestFolder::writeFile(run.folder.root + "/bin/xdg-open", "#!/bin/sh\ntouch full\n");
    chmod((run.folder.root + "/bin/xdg-open").c_str(), 0755);
    std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (run.folder.root + "/bin:" + path).c_str(), 1);
    setenv(PretendDisk::VARIABLE, (run.folder.root + "/full").c_str(), 1);
    run.start(makeApp);
    unsetenv(PretendDisk::VARIABLE);
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(TestDeadline::waitFor([&] {
        return run.log().find("ask(): Asking whether to quit without") != std::string::npos;
    }, TestDeadline::SECONDS, 100)) << run.log();
    EXPECT_EQ(run.wait(1.0), -1); // still waiting for the answer
}

TEST(LinkOpener, ReportsAnOpenerThatCannotStart) {
    std::string path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", "/nonexistent-folder", 1);
    LinkOpener opener;
    EXPECT_EQ(opener.start("http://example.invalid/"), LinkOpener::FAILED);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(opener.problem, "xdg-open could not be started (No such file or directory)");
    EXPECT_EQ(opener.poll(), LinkOpener::IDLE);
}

} // namespace
