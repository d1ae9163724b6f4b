// The graphics device under Xvfb: settings, the window, the mode choice, the
// baseline view, clearing and screenshots.
#include "BareEngine.h"
#include "DeviceTestEngine.h"
#include "EngineTestFolder.h"
#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "ManualTickSource.h"
#include "render/MemoryImageFile.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "PretendDisk.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_opengl.h>
#include <cmath>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// --- Mode choice (no window needed) -----------------------------------------------

struct Modes {
    explicit Modes(std::initializer_list<std::pair<int, int>> sizes) {
        for (auto s : sizes) {
            SDL_Rect r;
            r.x = r.y = 0;
            r.w = Uint16(s.first);
            r.h = Uint16(s.second);
            rects.push_back(r);
        }
        for (SDL_Rect& r : rects) list.push_back(&r);
        list.push_back(nullptr);
    }
    SDL_Rect** get() { return list.data(); }
    std::vector<SDL_Rect> rects;
    std::vector<SDL_Rect*> list;
};

std::pair<int, int> windowed(int requestW, int desktopW, int desktopH) {
    int w = 0, h = 0;
    PlimGraphics::chooseWindowedMode(requestW, desktopW, desktopH, &w, &h);
    return {w, h};
}

std::pair<int, int> fullScreen(Modes modes, int requestW, int requestH) {
    int w = 0, h = 0;
    PlimGraphics::chooseFullScreenMode(modes.get(), requestW, requestH, &w, &h);
    return {w, h};
}

typedef std::pair<int, int> Size;

TEST(ModeChoice, WindowedModesStaySmallerThanTheDesktop) {
    EXPECT_EQ(windowed(1024, 1024, 768), Size(800, 600));  // as large as the desktop: never
    EXPECT_EQ(windowed(640, 1920, 1080), Size(640, 480));  // the requested height plays no part
    EXPECT_EQ(windowed(700, 1920, 1080), Size(640, 480));
    EXPECT_EQ(windowed(5000, 1920, 1080), Size(1024, 768));
    EXPECT_EQ(windowed(200, 1920, 1080), Size(320, 240));  // narrower than every mode
    EXPECT_EQ(windowed(1024, 320, 240), Size(320, 240));   // tiny desktop
    EXPECT_EQ(windowed(1024, 800, 2000), Size(640, 480));  // narrow but tall desktop
}

TEST(ModeChoice, FullScreenTakesTheLargestFittingModeElseTheNarrowest) {
    EXPECT_EQ(fullScreen(Modes{{1280, 720}, {1024, 768}}, 1280, 1024), Size(1280, 720));
    // A later fitting mode must be at least as large in both directions.
    EXPECT_EQ(fullScreen(Modes{{1024, 768}, {1280, 720}}, 1280, 1024), Size(1024, 768));
    EXPECT_EQ(fullScreen(Modes{{1600, 1200}, {1024, 768}, {800, 600}}, 1024, 768), Size(1024, 768));
    EXPECT_EQ(fullScreen(Modes{{1600, 1200}, {1024, 768}, {1024, 600}}, 320, 200), Size(1024, 768));
}

// --- The device with its window ----------------------------------------------------

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.writeUserSettings("bTrackMouse=No\n");
        device = new DeviceTestEngine(false);
        g = PLIM->graphics;
    }
    void TearDown() override { delete device; }
    std::string log() {
        PLIM->log->saveCrashLog();
        return EngineTestFolder::readFile(folder.logPath());
    }
    // The window pixel (x from the left, y from the bottom) of the back buffer.
    static uint32_t readRgb(int x, int y) {
        uint8_t p[4] = {};
        PLIM->graphics->flush(); // draws still waiting in the batch
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    static void fillWindowRows(int y, int h, float r, float gr, float b) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, y, 4096, h);
        glClearColor(r, gr, b, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
    // Where a world point at depth 0 lands in the window under the current projection.
    static void project(float x, float y, float* wx, float* wy) {
        float p[16];
        glGetFloatv(GL_PROJECTION_MATRIX, p);
        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        float cx = p[0] * x + p[4] * y + p[12];
        float cy = p[1] * x + p[5] * y + p[13];
        float cw = p[3] * x + p[7] * y + p[15];
        *wx = vp[0] + (cx / cw + 1.0f) * 0.5f * vp[2];
        *wy = vp[1] + (cy / cw + 1.0f) * 0.5f * vp[3];
    }

    EngineTestFolder folder;
    ManualTickSource ticks;
    DeviceTestEngine* device = nullptr;
    PlimGraphics* g = nullptr;
};

TEST_F(GraphicsTest, AFreshSectionGainsEveryKeyWithItsDefault) {
    MemoryIniFile* cfg = PLIM->config;
    const char* section = "PlimGraphics";
    EXPECT_EQ(cfg->getInt(section, "fovWidth"), 640);
    EXPECT_EQ(cfg->getInt(section, "fovHeight"), 480);
    EXPECT_EQ(cfg->getInt(section, "screenWidth"), 640);
    EXPECT_EQ(cfg->getInt(section, "screenHeight"), 480);
    EXPECT_EQ(cfg->getString(section, "bFullScreen"), "No"); // the test's own value
    EXPECT_EQ(cfg->getString(section, "bBilinearFilter"), "Yes");
    EXPECT_EQ(cfg->getString(section, "bUseReferenceDevice"), "No");
    EXPECT_EQ(cfg->getString(section, "bUseHardwareTL"), "Yes");
    EXPECT_EQ(cfg->getString(section, "bUseVSync"), "No");
    EXPECT_EQ(cfg->getString(section, "bEnableFontCache"), "Yes");
    EXPECT_EQ(cfg->getString(section, "bBrokenAlphaOp"), "No");
    EXPECT_EQ(cfg->getString(section, "bTFACTORSupport"), "No");
    EXPECT_EQ(cfg->getString(section, "bSimulate256x256TextureHW"), "Yes");
    EXPECT_FLOAT_EQ(g->fovAspect, 0.75f);
    EXPECT_FALSE(g->bFullScreen);
    EXPECT_TRUE(g->bEnableFontCache);
    EXPECT_NE(g->surfaceHandle, nullptr);
    EXPECT_GT(g->bitsPerPixel, 0);

    std::string text = log();
    for (const char* line : {"PlimGraphics(): Starting...", "PlimGraphics(): Desktop SDL_GetVideoInfo():",
                             "\tinfo->hw_available: ", "\tinfo->current_h: ",
                             "PlimGraphics(): Available fullscreen resolutions:",
                             "calcClosestMatchParameters(): Requested mode 640x480, windowed.",
                             "calcClosestMatchParameters(): Best mode found 640x480, windowed.",
                             "PlimGraphics(): Created SDL_GetVideoInfo():",
                             "PlimGraphics(): OpenGL GL_VENDOR: ", "PlimGraphics(): OpenGL GL_EXTENSIONS: ",
                             "PlimGraphics(): Started."})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(GraphicsTest, ShutdownWritesTheChosenModeBack) {
    g->screenWidth = 700;
    g->screenHeight = 500;
    g->restorePresentation(); // 700 wide is not a windowed mode: 640 x 480
    EXPECT_EQ(g->screenWidth, 640);
    g->screenWidth = 777;     // what the destructor writes is the field
    g->bUseVSync = true;
    delete g;
    PLIM->graphics = nullptr;
    MemoryIniFile* cfg = PLIM->config;
    EXPECT_EQ(cfg->getInt("PlimGraphics", "screenWidth"), 777);
    EXPECT_EQ(cfg->getString("PlimGraphics", "bUseVSync"), "Yes");
    EXPECT_EQ(cfg->getString("PlimGraphics", "bFullScreen"), "No");
}

TEST_F(GraphicsTest, ClearUsesRedGreenBlueAndNeverTheAlphaByte) {
    g->clear(UColor(0xff0000ffu));
    EXPECT_EQ(readRgb(10, 10), 0xff0000u);
    g->clear(UColor(0x000000ffu)); // alpha 0: still red
    EXPECT_EQ(readRgb(600, 400), 0xff0000u);
    g->clear(UColor(0x80ff0000u)); // blue in the third byte
    EXPECT_EQ(readRgb(0, 0), 0x0000ffu);
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    EXPECT_EQ(clearColour[3], 0.0f);
}

TEST_F(GraphicsTest, BaselineViewShowsTheVirtualScreenInAnyWindowSize) {
    float x, y;
    project(320.0f, 240.0f, &x, &y);
    EXPECT_NEAR(x, 640.0f, 0.01f);
    EXPECT_NEAR(y, 480.0f, 0.01f);
    project(0.0f, 0.0f, &x, &y);
    EXPECT_NEAR(x, 320.0f, 0.01f);
    EXPECT_NEAR(y, 240.0f, 0.01f);
    project(-320.0f, -240.0f, &x, &y);
    EXPECT_NEAR(x, 0.0f, 0.01f);
    EXPECT_NEAR(y, 0.0f, 0.01f);

    g->screenWidth = 800;
    g->screenHeight = 600;
    g->restorePresentation();
    project(320.0f, 240.0f, &x, &y);
    EXPECT_NEAR(x, 800.0f, 0.01f);
    EXPECT_NEAR(y, 600.0f, 0.01f);
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
}

TEST_F(GraphicsTest, SetProjectionLeavesTheModelViewMatrixCurrent) {
    float m[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 5, 6, 7, 1};
    glMatrixMode(GL_PROJECTION);
    g->setProjectionMatrix(m);
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    float back[16];
    g->getProjectionMatrix(back);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i], m[i]) << i;
}

TEST_F(GraphicsTest, TextureFilterFollowsTheSetting) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    g->bBilinearFilter = false;
    g->setTextureFilter();
    GLint mag = 0, min = 0, wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(mag, GL_NEAREST);
    EXPECT_EQ(min, GL_NEAREST);
    EXPECT_EQ(wrap, GL_REPEAT);
    // Changing only the filter needs no restart and applies at once.
    g->changePresentationParameters(640, 480, false, true, true);
    EXPECT_FALSE(PLIM->bRestartPresentation);
    EXPECT_TRUE(g->bUseVSync);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    EXPECT_EQ(mag, GL_LINEAR);
    glDeleteTextures(1, &texture);
}

TEST_F(GraphicsTest, OnlyARealModeChangeAsksForARestart) {
    g->changePresentationParameters(700, 2000, false, true, false); // maps onto 640 x 480
    EXPECT_FALSE(PLIM->bRestartPresentation);
    EXPECT_EQ(g->screenHeight, 480);
    g->changePresentationParameters(800, 600, false, true, false);
    EXPECT_TRUE(PLIM->bRestartPresentation);
    EXPECT_EQ(g->screenWidth, 800);
    EXPECT_NE(log().find("changePresentationParameters(): Restarting to apply configuration."),
              std::string::npos);
}

TEST_F(GraphicsTest, ScreenshotIsAJpegOfTheWindowTopRowFirst) {
    fillWindowRows(0, 240, 1.0f, 0.0f, 0.0f);   // bottom half red
    fillWindowRows(240, 240, 0.0f, 1.0f, 0.0f); // top half green
    std::string path = folder.userFolder() + "shot.jpg";
    g->saveScreenshot(UString(path));
    ASSERT_TRUE(EngineTestFolder::exists(path));
    MemoryImageFile image(UString(path), false);
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    EXPECT_GT(image.pixel(5, 5)[1], 200);     // top row: green
    EXPECT_LT(image.pixel(5, 5)[0], 60);
    EXPECT_GT(image.pixel(5, 474)[0], 200);   // bottom row: red
    EXPECT_LT(image.pixel(5, 474)[1], 60);

    // Only ".jpg" in that exact case writes a JPEG.
    std::string upper = folder.userFolder() + "shot.JPG";
    g->saveScreenshot(UString(upper));
    EXPECT_FALSE(EngineTestFolder::exists(upper));
}

TEST_F(GraphicsTest, ReadBackFlipsRowsAndKeepsAnOddMiddleRow) {
    fillWindowRows(0, 1, 1.0f, 0.0f, 0.0f);
    fillWindowRows(1, 1, 0.0f, 1.0f, 0.0f);
    fillWindowRows(2, 1, 0.0f, 0.0f, 1.0f);
    g->screenWidth = 2; // read the window's bottom three rows only
    g->screenHeight = 3;
    bool ok = false;
    MemoryImageFile* image = g->grabFrameBuffer(&ok);
    g->screenWidth = 640;
    g->screenHeight = 480;
    ASSERT_TRUE(ok);
    ASSERT_EQ(image->width, 2);
    ASSERT_EQ(image->height, 3);
    EXPECT_EQ(image->pixel(1, 0)[2], 255); // window row 2 (blue) is now on top
    EXPECT_EQ(image->pixel(1, 1)[1], 255); // the middle stays
    EXPECT_EQ(image->pixel(1, 2)[0], 255); // window row 0 (red) at the bottom
    delete image;
}

// The name's ending alone chooses the writer, whatever the folders hold. Each
// writes its file whole or not at all, and each failure is told in one line.
TEST_F(GraphicsTest, TheNamesEndingChoosesTheWriterAndEveryFailureIsTold) {
    const std::string pictures = folder.userFolder() + "pics.tga/", flag = folder.userFolder() + "free";
    ASSERT_EQ(mkdir(pictures.c_str(), 0755), 0);
    PretendDisk disk(flag);
    DiskAccess::use(&disk);
    for (const auto& writer : {std::make_pair("a.bmp.jpg", std::string("\xFF\xD8", 2)),
                               std::make_pair("a.jpg.bmp", std::string("BM")),
                               std::make_pair("a.jpg.tga", std::string("\0\0\2", 3))}) {
        const std::string path = pictures + writer.first;
        unlink(flag.c_str());
        ASSERT_TRUE(g->saveScreenshot(UString(path)));
        const std::string written = EngineTestFolder::readFile(path);
        EXPECT_EQ(written.substr(0, writer.second.size()), writer.second);
        EngineTestFolder::writeFile(flag, "0");
        testing::internal::CaptureStderr();
        EXPECT_FALSE(g->saveScreenshot(UString(path)) || EngineTestFolder::readFile(path) != written);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "Corvana2demo: could not save the screenshot '" + path + "': No space left on device.\n");
    }
    DiskAccess::use(nullptr);
}

// --- The fatal path's graphics steps (in a child process) ---------------------

// The child's device: the fatal path ends the process with the engine up, so it
// stays reachable as the real engine does through PLIM.
DeviceTestEngine* childDevice = nullptr;

// Runs body in a forked child that starts its own device; returns the exit status.
int runChild(const std::function<void()>& body) {
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        EngineTestFolder::routeStdoutToStderr();
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(GraphicsFatalError, LeavesAWindowSizedCrashScreenshotAndTheCursorFree) {
    EngineTestFolder folder;
    folder.writeUserSettings("bTrackMouse=Yes\n[PlimGraphics]\nscreenWidth=800\nscreenHeight=600\n");
    int status = runChild([] {
        ManualTickSource ticks;
        childDevice = new DeviceTestEngine(true);
        glClearColor(0.0f, 0.0f, 1.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ErrorManager::error("Crash %s.", "requested");
    });
    EXPECT_EQ(status, 255);
    std::string shot = folder.userFolder() + "crash.Corvana2demo.jpg";
    ASSERT_TRUE(EngineTestFolder::exists(shot));
    Plim* engine = BareEngine::withFiles();
    {
        MemoryImageFile image(UString(shot), false);
        EXPECT_EQ(image.width, 800);
        EXPECT_EQ(image.height, 600);
        EXPECT_GT(image.pixel(400, 300)[2], 200); // the frame being drawn
    }
    BareEngine::shutDown(engine);
    std::string crashLog = EngineTestFolder::readFile(folder.crashLogPath());
    EXPECT_NE(crashLog.find("error(): Crash requested."), std::string::npos);

    // A picture that cannot be saved leaves none: the older one goes too.
    EngineTestFolder::writeFile(folder.userFolder() + "free", "0");
    EXPECT_EQ(runChild([&folder] {
                  ManualTickSource ticks;
                  DiskAccess::use(new PretendDisk(folder.userFolder() + "free"));
                  childDevice = new DeviceTestEngine(true);
                  ErrorManager::error("Disk full.");
              }), 255);
    EXPECT_FALSE(EngineTestFolder::exists(shot));
}

// Without the key the display starts full screen; shutting down there keeps
// "Yes" in the file and then leaves full screen for a window.
TEST(GraphicsDefaults, WithoutTheKeyTheDisplayIsFullScreenUntilShutdown) {
    EngineTestFolder folder;
    folder.writeUserSettings();
    EngineTestFolder::writeFile(folder.userSettingsPath(), "[PlimInput]\nbTrackJoystick=No\n");
    ManualTickSource ticks;
    DeviceTestEngine* device = new DeviceTestEngine(false);
    EXPECT_TRUE(PLIM->graphics->bFullScreen); // Xvfb lists its screen as a mode
    ASSERT_NE(SDL_GetVideoSurface(), nullptr);
    EXPECT_TRUE(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN);
    delete PLIM->graphics;
    PLIM->graphics = nullptr;
    EXPECT_EQ(PLIM->config->getString("PlimGraphics", "bFullScreen"), "Yes");
    ASSERT_NE(SDL_GetVideoSurface(), nullptr);
    EXPECT_FALSE(SDL_GetVideoSurface()->flags & SDL_FULLSCREEN);
    delete device;
}

// The window and the OpenGL context belong to the main thread: an error raised
// on another one (the audio callback) reports and exits without touching them.
TEST(GraphicsFatalError, OffTheMainThreadNoScreenshotIsTaken) {
    EngineTestFolder folder;
    folder.writeUserSettings();
    int status = runChild([] {
        ManualTickSource ticks;
        childDevice = new DeviceTestEngine(true);
        std::thread audio([] { ErrorManager::error("Mixer failed."); });
        audio.join();
    });
    EXPECT_EQ(status, 255);
    EXPECT_FALSE(EngineTestFolder::exists(folder.userFolder() + "crash.Corvana2demo.jpg"));
    std::string crashLog = EngineTestFolder::readFile(folder.crashLogPath());
    EXPECT_NE(crashLog.find("error(): Mixer failed."), std::string::npos) << crashLog;
    EXPECT_NE(crashLog.find("error(): Forced exit."), std::string::npos);
}

TEST(GraphicsFatalError, LeavesFullScreenBeforeTheMessage) {
    EngineTestFolder folder;
    folder.writeUserSettings(); // creates the folder; the file is replaced below
    EngineTestFolder::writeFile(folder.userSettingsPath(),
                                "[PlimGraphics]\nbFullScreen=Yes\n[PlimInput]\nbTrackJoystick=No\n");
    int status = runChild([] {
        ManualTickSource ticks;
        childDevice = new DeviceTestEngine(false);
        if (!PLIM->graphics->bFullScreen) _exit(77); // no full-screen modes here
        ErrorManager::error("Crash requested.");
    });
    if (status == 77) GTEST_SKIP() << "the X server offers no full-screen mode";
    EXPECT_EQ(status, 255);
    std::string crashLog = EngineTestFolder::readFile(folder.crashLogPath());
    size_t windowed = crashLog.rfind("windowed.");
    size_t message = crashLog.find("error(): Crash requested.");
    ASSERT_NE(message, std::string::npos);
    ASSERT_NE(windowed, std::string::npos);
    EXPECT_LT(windowed, message);
    EXPECT_NE(crashLog.find("fullscreen."), std::string::npos);
}

} // namespace
