// The developer console over the real engine in a window (Xvfb): keys arrive
// as SDL events and reach it through the engine's frames.
#include "input/Console.h"
#include "EngineTestFolder.h"
#include "InjectedInput.h"
#include "LogText.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <vector>

namespace {

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.writeStaticSettings();
        folder.writeUserSettings();
        new Plim();
        console = PLIM->console;
    }
    void TearDown() override {
        if (!PLIM) return;
        delete PLIM;
        PLIM = nullptr;
    }
    void show() {
        InjectedInput::key(SDLK_LSHIFT, true);
        InjectedInput::key(SDLK_BACKQUOTE, true, '`');
        InjectedInput::frame();
        InjectedInput::key(SDLK_BACKQUOTE, false);
        InjectedInput::key(SDLK_LSHIFT, false);
        InjectedInput::frame();
    }
    void holdFor(SDLKey key, int frames) {
        InjectedInput::key(key, true);
        for (int i = 0; i < frames; ++i) InjectedInput::frame();
        InjectedInput::key(key, false);
        InjectedInput::frame();
    }

    EngineTestFolder folder;
    ManualTickSource ticks;
    Console* console = nullptr;
};

TEST_F(ConsoleTest, LeftShiftAndGraveToggleIt) {
    InjectedInput::key(SDLK_LSHIFT, true);
    InjectedInput::key(SDLK_BACKQUOTE, true, '`');
    InjectedInput::frame();
    EXPECT_TRUE(console->bVisible);
    InjectedInput::frame(); // still held: no second flip
    InjectedInput::frame();
    EXPECT_TRUE(console->bVisible);
    EXPECT_TRUE(console->inputLine.isEmpty()); // the toggling frame types nothing
    InjectedInput::key(SDLK_BACKQUOTE, false);
    InjectedInput::frame();
    InjectedInput::key(SDLK_BACKQUOTE, true, '`');
    InjectedInput::frame();
    EXPECT_FALSE(console->bVisible);
    InjectedInput::key(SDLK_BACKQUOTE, false);
    InjectedInput::key(SDLK_LSHIFT, false);
    InjectedInput::frame();

    InjectedInput::key(SDLK_RSHIFT, true);
    InjectedInput::key(SDLK_BACKQUOTE, true, '`');
    InjectedInput::frame();
    EXPECT_FALSE(console->bVisible);
}

TEST_F(ConsoleTest, HiddenItIgnoresTyping) {
    InjectedInput::typeLine("debug 1");
    EXPECT_TRUE(console->inputLine.isEmpty());
    EXPECT_EQ(PLIM->debugLevel, 0);
}

TEST_F(ConsoleTest, CommandsChangeTheEngine) {
    show();
    InjectedInput::typeLine("fps 0.03");
    EXPECT_EQ(PLIM->frameTimer.period, 0.03);
    EXPECT_TRUE(console->inputLine.isEmpty());

    InjectedInput::typeLine("rel 0");
    EXPECT_FALSE(PLIM->bDebugLocked);
    InjectedInput::typeLine("debug 1");
    EXPECT_EQ(PLIM->debugLevel, 1);
    InjectedInput::typeLine("fontcache 0");
    EXPECT_FALSE(PLIM->graphics->bEnableFontCache);
    InjectedInput::typeLine("fontcache 7");
    EXPECT_TRUE(PLIM->graphics->bEnableFontCache);
    EXPECT_TRUE(console->lines.empty()); // commands are not echoed
}

TEST_F(ConsoleTest, NumberCommandsFollowScanfMatching) {
    console->executeCommand("debug3");
    EXPECT_EQ(PLIM->debugLevel, 3);
    console->executeCommand("debug 4 x");
    EXPECT_EQ(PLIM->debugLevel, 4);
    console->executeCommand(" debug 5");
    console->executeCommand("Debug 6");
    EXPECT_EQ(PLIM->debugLevel, 4);
    ASSERT_EQ(console->lines.size(), 2u);
    EXPECT_EQ(console->lines[0], UString("Unknown command:  debug 5"));
    EXPECT_EQ(console->lines[1], UString("Unknown command: Debug 6"));
    console->executeCommand("");
    EXPECT_EQ(console->lines.size(), 2u);
}

TEST_F(ConsoleTest, UnknownCommandsAreAnsweredAndLogged) {
    show();
    InjectedInput::typeLine("hello");
    ASSERT_EQ(console->lines.size(), 1u);
    EXPECT_EQ(console->lines[0], UString("Unknown command: hello"));
    InjectedInput::typeKey(SDLK_RETURN, 13); // empty line: nothing
    EXPECT_EQ(console->lines.size(), 1u);
    delete PLIM;
    PLIM = nullptr;
    LogText log(EngineTestFolder::readFile(folder.logPath()));
    EXPECT_GE(log.find("> Unknown command: hello"), 0);
}

TEST_F(ConsoleTest, BackspaceRemovesTheLastCharacter) {
    show();
    InjectedInput::typeKey(SDLK_a, 'a');
    InjectedInput::typeKey(SDLK_b, 'b');
    InjectedInput::typeKey(SDLK_BACKSPACE, 8);
    EXPECT_EQ(console->inputLine, UString("a"));
    InjectedInput::typeKey(SDLK_BACKSPACE, 8);
    InjectedInput::typeKey(SDLK_BACKSPACE, 8);
    EXPECT_TRUE(console->inputLine.isEmpty());
}

TEST_F(ConsoleTest, PageKeysScrollAndNewLinesFollowOnlyAtTheBottom) {
    for (int i = 0; i < 100; ++i) console->print("line %d", i);
    EXPECT_EQ(console->bottomLine, 99);
    show();
    holdFor(SDLK_PAGEUP, 5);
    EXPECT_EQ(console->bottomLine, 94);
    console->print("late line");
    EXPECT_EQ(console->bottomLine, 94);
    holdFor(SDLK_PAGEDOWN, 20);
    EXPECT_EQ(console->bottomLine, 100);
    console->print("followed");
    EXPECT_EQ(console->bottomLine, 101);
}

TEST_F(ConsoleTest, AnEmptyConsoleNeverScrolls) {
    show();
    holdFor(SDLK_PAGEDOWN, 3);
    holdFor(SDLK_PAGEUP, 3);
    EXPECT_EQ(console->bottomLine, -1);
}

// Rows (from the top) of the window that hold any lit pixel.
std::vector<bool> litRows() {
    int width = PLIM->graphics->screenWidth, height = PLIM->graphics->screenHeight;
    std::vector<unsigned char> pixels(width * height * 4);
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<bool> rows(height, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width && !rows[height - 1 - y]; ++x)
            if (pixels[(y * width + x) * 4] > 128) rows[height - 1 - y] = true;
    return rows;
}

bool anyLit(const std::vector<bool>& rows, int from, int to) {
    for (int y = from; y < to; ++y)
        if (rows[y]) return true;
    return false;
}

TEST_F(ConsoleTest, DrawsTheInputFieldAndFortyOneLines) {
    for (int i = 0; i < 100; ++i) console->print("line %d", i);
    console->bVisible = true;
    PLIM->graphics->clear(UColor(0xff000000));
    console->render();
    std::vector<bool> rows = litRows();
    int h = PLIM->graphics->screenHeight;
    EXPECT_TRUE(anyLit(rows, h - 12, h - 3));               // "> _"
    EXPECT_TRUE(anyLit(rows, h - 22, h - 13));              // line 99
    EXPECT_TRUE(anyLit(rows, h - 22 - 400, h - 13 - 400));  // line 59, the 41st
    EXPECT_FALSE(anyLit(rows, 0, h - 22 - 400));            // nothing older
}

// The parent never opens a window, so the forked children start from a clean
// slate and share its folder.
TEST(ConsoleDeathTest, ErrorAndCrashEndTheProcess) {
    GTEST_FLAG_SET(death_test_style, "fast");
    EngineTestFolder folder;
    folder.writeStaticSettings();
    folder.writeUserSettings();
    for (const char* command : {"error", "crash"}) {
        std::string expected = std::string(command) == "error" ? "Error requested." : "Crash requested.";
        EXPECT_EXIT(
            {
                EngineTestFolder::routeStdoutToStderr();
                new Plim();
                PLIM->console->executeCommand(command);
            },
            ::testing::ExitedWithCode(255),
            "\\*\\*\\* ERROR \\*\\*\\* Error: " + expected + "\n Function: executeCommand\\(\\)");
    }
    EXPECT_TRUE(EngineTestFolder::exists(folder.userFolder() + "crash.Corvana2demo.jpg"));
}

} // namespace
