#pragma once
// Fixture for drawing tests: a real window under Xvfb (the device parts of the
// engine), files in a throw-away working folder, and a Context made current so
// that renderables cull against its camera. Helpers read pixels back from the
// frame being drawn and the run's log.
#include "DeviceTestEngine.h"
#include "EngineTestFolder.h"
#include "ManualTickSource.h"
#include "UColor.h"

#include <gtest/gtest.h>

#include <string>

class Context;

class RenderWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Extra [PlimGraphics] lines for the user settings file; read by SetUp.
    virtual std::string graphicsSettings() const { return std::string(); }

    // The back-buffer pixel at window (x, y), y from the bottom.
    static UColor readPixel(int x, int y);
    // The pixel under world point (x, y) at depth 0 in the default 640 x 480 view.
    static UColor readWorldPixel(float x, float y);
    // Clears the frame to opaque black.
    static void clearFrame();
    // The log so far.
    std::string logText();

    EngineTestFolder folder;
    ManualTickSource ticks;
    DeviceTestEngine* device = nullptr;
    Context* context = nullptr;
};

// Channels within tolerance of each other (filtering and modulation round).
::testing::AssertionResult colorNear(UColor actual, UColor expected, int tolerance = 3);
