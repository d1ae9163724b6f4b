#include "ShellTestEngine.h"

#include "app/ContextManager.h"
#include "InjectedInput.h"
#include "app/Loader.h"
#include "core/Plim.h"

#include <SDL.h>
#include <cstdlib>
#include <unistd.h>

ShellTestEngine::ShellTestEngine(const std::string& languageLines, const std::string& userSettings) {
    EngineTestFolder::writeFile(folder.root + "/Corvana2demo.cfg.static",
                                "[Language]\n" + languageLines +
                                    "[Edition]\nbHoliday=No\n[Graphics]\nditherDepth=0\n"
                                    "[Input]\nhardwareMouseScaling=1.0\n");
    folder.writeUserSettings(userSettings);
    std::string archive = std::string(PLIM_TEST_BINARY_DIR) + "/Corvana2demo.dat";
    if (symlink(archive.c_str(), (folder.root + "/Corvana2demo.dat").c_str()) != 0) perror("symlink");
    Loader::stepsDone = 0;
    new Plim();
    app = new TestGlobal();
    gGlobal = app;
}

ShellTestEngine::~ShellTestEngine() { closeEngine(); }

std::string ShellTestEngine::closeEngine() {
    if (!PLIM) return std::string();
    SDL_PauseAudio(1);
    clearStack();
    delete app;
    app = nullptr;
    gGlobal = nullptr;
    delete PLIM;
    PLIM = nullptr;
    return EngineTestFolder::readFile(folder.logPath());
}

void ShellTestEngine::clearStack() {
    ContextManager* stack = app ? app->contextManager : nullptr;
    if (!stack) return;
    for (BasicLink* s = stack->firstChild; s; s = s->next)
            static_cast<Context*>(static_cast<PlimBase*>(s))->bDone = true;
    stack->tickContents(0.0, 0.0);
}

void ShellTestEngine::preLoad() { app->initPreLoader(); }

bool ShellTestEngine::loadAll(int maxFrames) {
    Loader* loader = static_cast<Loader*>(app->contextManager->getTop());
    int total = loader->total;
    for (int i = 0; i < maxFrames && Loader::stepsDone < total; ++i) frame();
    return Loader::stepsDone == total;
}

void ShellTestEngine::frame() {
    InjectedInput::pump();
    PLIM->frame(app->contextManager);
}

void pressKey(ShellTestEngine& engine, int sdlKey) {
    InjectedInput::key(SDLKey(sdlKey), true);
    engine.frame();
    InjectedInput::key(SDLKey(sdlKey), false);
    engine.frame();
}

ShellTestEngine* LoadedEngineTest::engine = nullptr;

void LoadedEngineTest::SetUpTestSuite() {
    if (!getenv("DISPLAY")) return;
    engine = new ShellTestEngine();
    engine->preLoad();
    engine->loadAll();
}

void LoadedEngineTest::TearDownTestSuite() {
    delete engine;
    engine = nullptr;
}

void LoadedEngineTest::SetUp() {
    if (!engine) GTEST_SKIP() << "needs an X server (xvfb-run)";
    stack = engine->app->contextManager;
    stack->quitAnswer = -1;
    engine->clearStack();
    engine->frame();
    stack->bQuit = false;
}
