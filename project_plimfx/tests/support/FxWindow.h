#pragma once
// A real window for drawing tests (run under Xvfb): a test folder with windowed
// settings, the device parts of the engine, a default camera's view and pixel
// read-back in world units (one unit per pixel at depth 0 in a 640 x 480 window).
#include "EngineTestFolder.h"
#include "TestImages.h"
#include "render/Texture.h"
#include "util/UColor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class DeviceTestEngine;
class FontQuad;

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

// A window and a quad font (space 3, spacing 1) whose symbols come from
// generated glyph strips.
class FontWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { closeEngine(); }
    // The glyphs as one texture, symbols from first on.
    Texture* load(const char* name, const std::vector<TestGlyph>& glyphs, uint16_t first,
                  int flags = TEXTURE_KEEPSOURCE);
    // The colour of the pixel whose top-left corner is (x, y).
    UColor at(float x, float y) { return window->pixelAt(x + 0.5f, y - 0.5f); }
    // Deletes the font and the textures, then the engine; the log's text.
    std::string closeEngine();

    FxWindow* window = nullptr;
    FontQuad* font = nullptr;
    std::vector<Texture*> textures;
};
