#pragma once
// The whole engine (window under Xvfb, dummy audio, manual clock) in a
// throw-away folder that holds the game's data archive, with a test
// application object whose first screens the test chooses. Frames run the
// engine over the screen stack the way the entry loop does.
#include "EngineTestFolder.h"
#include "app/Global.h"
#include "ManualTickSource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

class Context;
class ContextManager;

class TestGlobal : public Global {
public:
    void pushFirstContexts() override {
        if (firstContexts) firstContexts();
    }
    std::function<void()> firstContexts;
};

class ShellTestEngine {
public:
    // languageLines: the [Language] lines of the static settings file;
    // userSettings: more lines for the user settings file.
    explicit ShellTestEngine(const std::string& languageLines = "bMultilanguage=No\nsingleLanguage=0\n",
                             const std::string& userSettings = std::string());
    // Deletes the application object and the engine.
    ~ShellTestEngine();
    ShellTestEngine(const ShellTestEngine&) = delete;
    ShellTestEngine& operator=(const ShellTestEngine&) = delete;

    // The application object's first stage: archive, screen stack, loader.
    void preLoad();
    // Frames until the loader has run its last step (at most maxFrames).
    bool loadAll(int maxFrames = 400);
    // Every queued SDL event to the engine, then one frame over the stack.
    void frame();
    // Pops (and deletes) every screen; a quit key would leave them alive to
    // the end of the process, but a test engine takes them down.
    void clearStack();
    // Deletes the application object and the engine (which closes the log)
    // and returns the whole log.
    std::string closeEngine();

    EngineTestFolder folder;
    ManualTickSource ticks;
    TestGlobal* app = nullptr;
};

// Frame-by-frame key presses through SDL's queue.
void pressKey(ShellTestEngine& engine, int sdlKey);

// One loaded engine for a whole test program, made before its first test;
// each test starts on an empty screen stack with the input of the one before
// settled. Skips without an X server.
class LoadedEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static ShellTestEngine* engine;
    ContextManager* stack = nullptr;
};
