#pragma once
// A real window for drawing tests (run under Xvfb): a test folder with windowed
// settings, the device parts of the engine, a default camera's view and pixel
// read-back in world units (one unit per pixel at depth 0 in a 640 x 480 window).
#include "EngineTestFolder.h"
#include "UColor.h"

#include <string>

class DeviceTestEngine;

class FxWindow {
public:
    // extraSettings: more user settings lines (INI text).
    explicit FxWindow(const std::string& extraSettings = std::string());
    ~FxWindow();
    FxWindow(const FxWindow&) = delete;
    FxWindow& operator=(const FxWindow&) = delete;

    // Clears to opaque black, loads a default camera's view, advances the
    // engine's frame number and resets the frame statistics.
    void beginFrame();
    // The colour of the window pixel that covers world point (x, y) at depth 0.
    UColor pixelAt(float x, float y);
    // Takes the engine down (which closes the log) and returns the log's text.
    // Every engine object must be gone by then.
    std::string closeEngine();

    EngineTestFolder folder;
    DeviceTestEngine* device = nullptr;
};
