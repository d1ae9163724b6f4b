// The frame loop over the real engine in a window (Xvfb): engine modes and
// focus, screenshots, frame statistics, debug time keys, restarts.
#include "core/Context.h"
#include "EngineTestFolder.h"
#include "InjectedInput.h"
#include "LogText.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/PlimUtil.h"
#include "core/TimeKeeper.h"

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <dirent.h>
#include <regex>
#include <string>
#include <vector>

namespace {

class RecordingContext : public Context {
public:
    void tickContents(double time, double dt) override {
        ++ticks;
        timesSeen.push_back(PLIM->getTime());
        Context::tickContents(time, dt);
    }
    void renderContents() override {
        ++renders;
        timesSeen.push_back(PLIM->getTime());
        Context::renderContents();
    }
    void onPLIMmodeChange(int oldMode, int newMode) override {
        modeSteps.push_back(oldMode * 10 + newMode);
    }
    int ticks = 0, renders = 0;
    std::vector<double> timesSeen;
    std::vector<int> modeSteps;
};

class FrameTest : public ::testing::Test {
protected:
    void start(const std::string& settings = std::string()) {
        folder.writeStaticSettings();
        folder.writeUserSettings(settings);
        new Plim();
        root = new RecordingContext();
    }
    void TearDown() override {
        if (!PLIM) return;
        delete root;
        delete PLIM;
        PLIM = nullptr;
    }
    void frame() { InjectedInput::frame(root); }
    LogText log() {
        delete root;
        root = nullptr;
        delete PLIM;
        PLIM = nullptr;
        return LogText(EngineTestFolder::readFile(folder.logPath()));
    }
    std::vector<std::string> screenshots() {
        std::vector<std::string> names;
        if (DIR* dir = opendir(folder.userFolder().c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0) names.push_back(name);
            }
            closedir(dir);
        }
        return names;
    }

    EngineTestFolder folder;
    ManualTickSource ticks;
    RecordingContext* root = nullptr;
};

TEST_F(FrameTest, LosingFocusPausesAndRegainingItResumes) {
    start();
    frame();
    EXPECT_EQ(PLIM->frameCount, 1);
    EXPECT_EQ(root->ticks, 1);

    PLIM->bWindowFocus = false;
    frame(); // the change takes the whole frame
    EXPECT_EQ(PLIM->plimMode, MODE_INACTIVE);
    EXPECT_EQ(root->ticks, 1);
    EXPECT_EQ(root->renders, 1);
    EXPECT_EQ(root->modeSteps, std::vector<int>{32});

    ticks.delays.clear();
    frame(); // inactive: sleeps, draws, does not tick
    EXPECT_EQ(ticks.delays, std::vector<uint32_t>{500});
    EXPECT_EQ(root->ticks, 1);
    EXPECT_EQ(root->renders, 2);
    EXPECT_EQ(PLIM->frameCount, 1);

    PLIM->bWindowFocus = true;
    frame();
    EXPECT_EQ(PLIM->plimMode, MODE_OK);
    EXPECT_EQ(root->renders, 2);
    frame();
    EXPECT_EQ(PLIM->frameCount, 2);
    EXPECT_EQ(root->ticks, 2);
    EXPECT_EQ(root->modeSteps, (std::vector<int>{32, 23}));

    LogText lines = log();
    int request = lines.findPrefix("changePLIMmode(): Change request from 3 to 2 (t=");
    ASSERT_GE(request, 0);
    EXPECT_EQ(lines.lines[request + 1], "changePLIMmode(): Changing mode from 3 to 2.");
    int notifying = lines.findPrefix("changePLIMmode(): Notifying ", request);
    EXPECT_EQ(notifying, request + 2);
    // The clock, a live object, logs its own step while being told.
    int discard = lines.findPrefix("onPLIMmodeChange(): Starting to discard time at ", request);
    EXPECT_GT(discard, notifying);
    EXPECT_GT(lines.find("changePLIMmode(): Mode change complete.", request), discard);
    EXPECT_GT(lines.findPrefix("changePLIMmode(): Change request from 2 to 3 (t=", request), request);
}

TEST_F(FrameTest, TickingWhilePausedKeepsRunningWithoutSleeping) {
    start("[Plim]\nbTickWhilePaused=Yes\n");
    frame();
    PLIM->bWindowFocus = false;
    frame();
    EXPECT_EQ(PLIM->plimMode, MODE_INACTIVE);
    ticks.delays.clear();
    frame();
    frame();
    EXPECT_EQ(PLIM->frameCount, 3);
    EXPECT_EQ(root->ticks, 3);
    for (uint32_t delay : ticks.delays) EXPECT_LT(delay, 500u); // only the frame wait
}

TEST_F(FrameTest, F9HeldForSeveralFramesSavesOneScreenshotOfTheWindow) {
    start();
    frame();
    InjectedInput::key(SDLK_F9, true);
    frame();
    frame();
    frame();
    InjectedInput::key(SDLK_F9, false);
    frame();
    std::vector<std::string> names = screenshots();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(
        names[0], std::regex("Corvana2demo [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}\\.[0-9]{2}\\.[0-9]{2} [0-9]+\\.[0-9]{3}\\.jpg")))
        << names[0];

    // The JPEG's frame header carries the window's size.
    std::string jpeg = EngineTestFolder::readFile(folder.userFolder() + names[0]);
    size_t sof = jpeg.find("\xff\xc0");
    ASSERT_NE(sof, std::string::npos);
    int height = (unsigned char)jpeg[sof + 5] << 8 | (unsigned char)jpeg[sof + 6];
    int width = (unsigned char)jpeg[sof + 7] << 8 | (unsigned char)jpeg[sof + 8];
    EXPECT_EQ(width, PLIM->graphics->screenWidth);
    EXPECT_EQ(height, PLIM->graphics->screenHeight);
}

TEST_F(FrameTest, DebugTimeKeysScaleTheDeltaOnlyWhenUnlocked) {
    start("[Plim]\ndebugCode=31846\n");
    frame();
    frame();
    double plain = PLIM->frameTimer.startTime - PLIM->frameTimer.previousStart;
    InjectedInput::key(SDLK_F10, true);
    InjectedInput::key(SDLK_F11, true);
    frame();
    plain = PLIM->frameTimer.startTime - PLIM->frameTimer.previousStart;
    EXPECT_DOUBLE_EQ(PLIM->getDeltaTime(), plain * 5.0);
    InjectedInput::key(SDLK_F11, false);
    frame();
    plain = PLIM->frameTimer.startTime - PLIM->frameTimer.previousStart;
    EXPECT_DOUBLE_EQ(PLIM->getDeltaTime(), plain / 10.0);
    PLIM->bDebugLocked = true;
    EXPECT_DOUBLE_EQ(PLIM->getDeltaTime(), plain);
}

TEST_F(FrameTest, FirstRunningFrameAndTimeWithinAFrame) {
    start();
    frame(); // no clock movement during the work: the minimum period applies
    EXPECT_EQ(PLIM->fpsUnthrottled, 99999.99999999999);
    EXPECT_EQ(PLIM->fps, PLIM->fpsUnthrottled); // first frame: period == work
    EXPECT_EQ(PLIM->fpsHistory[0], 0);
    EXPECT_EQ(PLIM->fpsHistory[1], 99999);
    ASSERT_EQ(root->timesSeen.size(), 2u);
    EXPECT_EQ(root->timesSeen[0], root->timesSeen[1]);
    // The frame timer slept out (most of) the 15 ms period on the manual clock.
    EXPECT_GT(PLIM->getDeltaTime(), 0.0);
    EXPECT_LE(PLIM->getDeltaTime(), 0.015);
}

TEST_F(FrameTest, ANullRootStillCountsWaitsAndPresents) {
    start();
    ticks.delays.clear();
    PLIM->frame(nullptr);
    EXPECT_EQ(PLIM->frameCount, 1);
    EXPECT_FALSE(ticks.delays.empty());
}

TEST_F(FrameTest, ARestartGoesDownToRestoreAndBackUp) {
    start();
    frame();
    PLIM->bRestartPresentation = true;
    frame();
    EXPECT_EQ(PLIM->plimMode, MODE_RESTORE);
    EXPECT_FALSE(PLIM->bRestartPresentation);
    EXPECT_EQ(root->modeSteps, (std::vector<int>{32, 21}));
    frame();
    EXPECT_EQ(PLIM->plimMode, MODE_INACTIVE);
    frame();
    EXPECT_EQ(PLIM->plimMode, MODE_OK);
    int ticked = root->ticks;
    frame();
    EXPECT_EQ(root->ticks, ticked + 1);
    EXPECT_NE(PLIM->graphics->surfaceHandle, nullptr);
}

TEST_F(FrameTest, ARestartAskedForWhileInactiveWaitsForRunning) {
    start();
    frame();
    PLIM->bWindowFocus = false;
    frame();
    PLIM->bRestartPresentation = true;
    frame();
    EXPECT_EQ(PLIM->plimMode, MODE_INACTIVE);
    EXPECT_TRUE(PLIM->bRestartPresentation);
    PLIM->bWindowFocus = true;
    frame(); // back to running
    EXPECT_EQ(PLIM->plimMode, MODE_OK);
    frame(); // runs, then carries out the restart
    EXPECT_EQ(PLIM->plimMode, MODE_RESTORE);
    EXPECT_FALSE(PLIM->bRestartPresentation);
}

TEST_F(FrameTest, ModeChangesAreRefusedDuringShutdown) {
    start();
    PLIM->bShutdown = true;
    PLIM->changePLIMmode(MODE_INACTIVE);
    EXPECT_EQ(PLIM->plimMode, MODE_OK);
    PLIM->bShutdown = false;
    PLIM->changePLIMmode(MODE_OK); // the current mode: logged, nothing changes
    LogText lines = log();
    int refused = lines.find("changePLIMmode(): Shutdown in progress -- ignoring.");
    ASSERT_GE(refused, 0);
    EXPECT_EQ(lines.findPrefix("changePLIMmode(): Change request from 3 to 2 (t="), refused - 1);
    int same = lines.findPrefix("changePLIMmode(): Change request from 3 to 3 (t=", refused);
    ASSERT_GT(same, refused);
    EXPECT_EQ(lines.lines[same + 1], "changePLIMmode(): Mode change complete.");
}

TEST_F(FrameTest, ActiveEventsAreLoggedWithTheirStateBits) {
    start();
    InjectedInput::activeEvent(true, SDL_APPMOUSEFOCUS | SDL_APPINPUTFOCUS | SDL_APPACTIVE);
    InjectedInput::activeEvent(false, 0);
    InjectedInput::pump();
    LogText lines = log();
    EXPECT_GE(lines.find("sdlOnEvent(): SDL_ACTIVEEVENT: gain=1, state=SDL_APPMOUSEFOCUS SDL_APPINPUTFOCUS "
                         "SDL_APPACTIVE "),
              0);
    EXPECT_GE(lines.find("sdlOnEvent(): SDL_ACTIVEEVENT: gain=0, state="), 0);
}

// Reads the colour of the window's centre pixel.
uint32_t centrePixel() {
    unsigned char rgba[4] = {};
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(PLIM->graphics->screenWidth / 2, PLIM->graphics->screenHeight / 2, 1, 1, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba);
    return rgba[0] | rgba[1] << 8 | rgba[2] << 16;
}

class ProjectionChanger : public Context {
public:
    void renderContents() override {
        float skewed[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 1, 1, 1};
        PLIM->graphics->setProjectionMatrix(skewed);
    }
};

TEST_F(FrameTest, ContextsClearUnlessTheirColourIsZeroAndKeepTheProjection) {
    start();
    Context plain;
    PLIM->graphics->clear(UColor(0xff0000ff));
    plain.renderContext();
    EXPECT_EQ(centrePixel(), 0x0000ffu); // untouched red

    Context alphaOnly;
    alphaOnly.clearColour = UColor(0, 0, 0, 1);
    alphaOnly.renderContext();
    EXPECT_EQ(centrePixel(), 0u); // cleared to black

    float before[16], after[16];
    PLIM->graphics->getProjectionMatrix(before);
    ProjectionChanger changer;
    changer.renderContext();
    PLIM->graphics->getProjectionMatrix(after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(before[i], after[i]) << i;
}

} // namespace
