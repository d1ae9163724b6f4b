// The application object: its settings pushed into the engine, the class
// listing of the first stage, its point from longitude and latitude, and the
// order in which it takes the application down.
#include "app/ContextManager.h"
#include "LogText.h"
#include "app/Loader.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "ShellTestEngine.h"
#include "util/PlimMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sys/stat.h>

namespace {

class GlobalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    }
};

TEST_F(GlobalTest, AppliesEverySettingToTheEngine) {
    ShellTestEngine engine;
    Global* app = engine.app;
    SaveData& s = app->saveData;
    s.maxFps = 25;
    s.audioQuality = 2;
    s.mouseSensitivity = 0;
    s.graphicsDetail = 1;
    s.videoMode = 1;
    s.bFullScreenOption = 0;
    int running = PLIM->audio->frequency;
    app->applySettings();
    EXPECT_DOUBLE_EQ(PLIM->frameTimer.period, 1.0 / 25.0);
    EXPECT_EQ(PLIM->audio->frequency, 44100); // stored for the next start only
    EXPECT_NE(running, 0);
    EXPECT_EQ(PLIM->input->mouseSpeed, 0.5);
    EXPECT_TRUE(PLIM->graphics->bTextShadows);
    EXPECT_FALSE(PLIM->bRestartPresentation); // the window already is 640 x 480

    s.maxFps = 125;
    s.mouseSensitivity = 4;
    s.graphicsDetail = 0;
    app->applySettings();
    EXPECT_DOUBLE_EQ(PLIM->frameTimer.period, 1.0 / 125.0);
    EXPECT_EQ(PLIM->input->mouseSpeed, 1.5);
    EXPECT_FALSE(PLIM->graphics->bTextShadows);

    s.graphicsDetail = 1;
    PLIM->graphics->bBrokenAlphaOp = true;
    app->applySettings();
    EXPECT_FALSE(PLIM->graphics->bTextShadows);
    PLIM->graphics->bBrokenAlphaOp = false;

    // A block from elsewhere: no table is indexed past its end, no division by 0.
    s.maxFps = 0;
    s.audioQuality = 7;
    s.videoMode = -3;
    app->applySettings();
    EXPECT_GT(PLIM->frameTimer.period, 0.0);
    EXPECT_EQ(PLIM->audio->frequency, 44100);
}

TEST_F(GlobalTest, TheFirstStageListsClassesOnlyWithDebugFunctions) {
    {
        ShellTestEngine locked;
        locked.preLoad();
        EXPECT_TRUE(PLIM->bDebugLocked);
        LogText log(locked.closeEngine());
        EXPECT_LT(log.findPrefix("> 0 ("), 0);
    }
    ShellTestEngine unlocked("bMultilanguage=No\nsingleLanguage=0\n", "[Plim]\ndebugCode=31846\n");
    unlocked.preLoad();
    RuntimeClassManager* m = RuntimeClassManager::getInstance();
    int count = m->getNumClasses();
    // The whole program's table, sorted by name: the indices packets carry.
    const char* const table[] = {
        "BasicLink", "Camera", "Console", "Context", "ContextAutoConfigure", "ContextBlender", "ContextManager",
        "ErrorManager", "FileManager", "FontGDI", "FontQuad", "FontQuadCacheEntry", "Logger", "Plim", "PlimAudio",
        "PlimBase", "PlimGraphics", "PlimInput", "PlimNetwork", "Property", "PropertyContainer", "PropertyDWORD",
        "PropertyDouble", "PropertyFloat", "PropertyInt", "PropertyPointer", "PropertyUColor", "Quad", "RPC",
        "Renderable", "ResourceManager", "Skin", "Sound", "SoundChannel", "Texture", "TimeKeeper", "VertexBuffer",
        "_02468b57", "_04790976", "_21ae2a05", "_4472ef3a", "_67719ab0", "_7b13321b", "_98af025c", "_9a4605a1",
        "_ae3f6255", "_cfad751b"};
    ASSERT_EQ(count, 47);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(m->classArray[size_t(i)]->name, table[i]) << i;
        EXPECT_EQ(m->classArray[size_t(i)]->index, i);
    }
    std::string last = m->classArray.back()->describe().c_str();
    EXPECT_EQ(unlocked.app->contextManager->getClass()->name, "ContextManager");
    LogText log(unlocked.closeEngine());
    int first = log.findPrefix("> 0 (");
    ASSERT_GE(first, 0);
    EXPECT_EQ(log.lines[size_t(first + count - 1)], "> " + last);
}

TEST(GlobalPoint, LongitudeAndLatitudeTurnTheForwardVector) {
    V3 p = Global::lonLatToPoint(0.0f, 0.0f);
    EXPECT_EQ(p, V3(0.0f, 0.0f, -1.0f));
    V3 north = Global::lonLatToPoint(0.0f, HALF_PI);
    EXPECT_NEAR(north.z, 0.0f, 1e-6f);
    EXPECT_NEAR(std::fabs(north.y), 1.0f, 1e-6f);
    V3 east = Global::lonLatToPoint(HALF_PI, 0.0f);
    EXPECT_NEAR(std::fabs(east.x), 1.0f, 1e-6f);
    EXPECT_NEAR(east.z, 0.0f, 1e-6f);
}

TEST_F(GlobalTest, TakingTheApplicationDownWritesProfilesThenSavedData) {
    ShellTestEngine engine;
    engine.preLoad();
    ASSERT_TRUE(engine.loadAll());
    std::string folder = engine.folder.userFolder();
    engine.clearStack();
    SDL_PauseAudio(1);
    delete engine.app;
    engine.app = nullptr;
    gGlobal = nullptr;
    struct stat pro = {}, hst = {};
    ASSERT_EQ(stat((folder + "Corvana2demo.pro").c_str(), &pro), 0);
    ASSERT_EQ(stat((folder + "Corvana2demo.hst").c_str(), &hst), 0);
    EXPECT_LE(pro.st_mtim.tv_sec * 1000000000LL + pro.st_mtim.tv_nsec,
              hst.st_mtim.tv_sec * 1000000000LL + hst.st_mtim.tv_nsec);
}

} // namespace
