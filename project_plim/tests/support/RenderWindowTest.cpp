#include "RenderWindowTest.h"

#include "Context.h"
#include "Logger.h"
#include "Plim.h"

#include <SDL_opengl.h>
#include <cstdio>
#include <cstdlib>

void RenderWindowTest::SetUp() {
    folder.writeUserSettings("bTrackMouse=No\n[PlimGraphics]\n" + graphicsSettings());
    device = new DeviceTestEngine(false);
    context = new Context();
    PLIM->currentContext = context;
    clearFrame();
}

void RenderWindowTest::TearDown() {
    PLIM->currentContext = nullptr;
    delete context;
    delete device;
}

UColor RenderWindowTest::readPixel(int x, int y) {
    uint8_t p[4] = {};
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
