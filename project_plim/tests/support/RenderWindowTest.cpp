#include "RenderWindowTest.h"

#include "core/Context.h"
#include "DeviceTestEngine.h"
#include "input/EventManager.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"

#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>

namespace {

DeviceTestEngine* sharedDevice = nullptr;

void closeSharedDevice() {
    delete sharedDevice;
    sharedDevice = nullptr;
}

} // namespace

void RenderWindowTest::SetUp() {
    if (!sharedDevice) {
        folder.writeUserSettings("bTrackMouse=No\n");
        sharedDevice = new DeviceTestEngine(false);
        atexit(closeSharedDevice);
    } else {
        delete PLIM->log;
        PLIM->log = new Logger(); // in this test's folder
    }
    Plim* engine = PLIM;
    engine->plimMode = MODE_OK;
    engine->frameCount = 0;
    for (int32_t& stat : engine->frameStats) stat = 0;
    engine->debugLevel = 0;
    engine->bDebugLocked = true;
    engine->eventManager->hover.set(nullptr);
    engine->eventManager->focus.set(nullptr);
    engine->graphics->bSimulate256x256TextureHW = true;
    engine->graphics->bTFACTORSupport = false;
    engine->graphics->setGlobalRenderState();
    context = new Context();
    engine->currentContext = context;
    clearFrame();
}

void RenderWindowTest::TearDown() {
    PLIM->currentContext = nullptr;
    delete context;
}

UColor RenderWindowTest::readPixel(int x, int y) {
    uint8_t p[4] = {};
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return UColor(p[0], p[1], p[2], 255);
}

UColor RenderWindowTest::readWorldPixel(float x, float y) {
    return readPixel(int(x + 320.0f), int(y + 240.0f));
}

void RenderWindowTest::clearFrame() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

std::string RenderWindowTest::logText() {
    PLIM->log->saveCrashLog(); // closes and flushes the log
    return EngineTestFolder::readFile(folder.logPath());
}

::testing::AssertionResult colorNear(UColor actual, UColor expected, int tolerance) {
    int d = std::abs(actual.r - expected.r);
    d = std::max(d, std::abs(actual.g - expected.g));
    d = std::max(d, std::abs(actual.b - expected.b));
    if (d <= tolerance) return ::testing::AssertionSuccess();
    char text[128];
    snprintf(text, sizeof text, "(%d, %d, %d) is not near (%d, %d, %d)", actual.r, actual.g, actual.b,
             expected.r, expected.g, expected.b);
    return ::testing::AssertionFailure() << text;
}
