#pragma once
// Fixture for drawing tests: a real window under Xvfb (the device parts of the
// engine), files in a throw-away working folder, and a Context made current so
// that renderables cull against its camera. Helpers read pixels back from the
// frame being drawn and the run's log.
//
// The window is made once per process, as in a real run: each test gets the
// engine's fields and render state reset, a fresh log in its own folder, and
// a new current Context.
#include "EngineTestFolder.h"
#include "ManualTickSource.h"
#include "util/UColor.h"

#include <gtest/gtest.h>

#include <string>

class Context;

class RenderWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The back-buffer pixel at window (x, y), y from the bottom.
    static UColor readPixel(int x, int y);
    // The pixel under world point (x, y) at depth 0 in the default 640 x 480 view.
    static UColor readWorldPixel(float x, float y);
    // Clears the frame to opaque black.
    static void clearFrame();
    // This test's log so far; the log is closed afterwards.
    std::string logText();

    EngineTestFolder folder;
    ManualTickSource ticks;
    Context* context = nullptr;
};

// Channels within tolerance of each other (filtering and modulation round).
::testing::AssertionResult colorNear(UColor actual, UColor expected, int tolerance = 3);
