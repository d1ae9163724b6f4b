#pragma once
// A menu-layer world for widget and screen tests under Xvfb: the device parts
// of the engine with input, the resource registry, the English text table, an
// application object whose resources are small generated pictures (frames,
// backdrop, flags, logos, one block font for all five fonts) and muted sounds,
// and the screen stack. Frames are stepped by hand with a chosen delta time;
// the mouse and keys are fed to the input part as SDL events.
#include "screens/ContextMenu.h"
#include "EngineTestFolder.h"
#include "app/Global.h"
#include "util/UColor.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <functional>
#include <string>

class Context;
class DeviceTestEngine;

// The application object of the tests: no first screens of its own.
class MenuTestGlobal : public Global {
public:
    void pushFirstContexts() override {}
};

class MenuTestWorld {
public:
    // Every glyph of the test font is a solid block this wide and high.
    static constexpr int GLYPH_WIDTH = 6;
    static constexpr int GLYPH_HEIGHT = 10;
    // The pictures' solid colours (0xAABBGGRR).
    static constexpr uint32_t EDITBOX_COLOUR = 0xff404040;
    static constexpr uint32_t EDITBOX_LIT_COLOUR = 0xff00c0c0;
    static constexpr uint32_t BUTTON_COLOUR = 0xff804040;
    static constexpr uint32_t BUTTON_LIT_COLOUR = 0xffc08080;
    static constexpr uint32_t SQUARE_COLOUR = 0xff606060;
    static constexpr uint32_t SEA_COLOUR = 0xff804000;
    static constexpr uint32_t SKY_COLOUR = 0xffffc080;

    // extraSettings: more user settings lines (INI text).
    explicit MenuTestWorld(const std::string& extraSettings = std::string());
    ~MenuTestWorld();
    MenuTestWorld(const MenuTestWorld&) = delete;
    MenuTestWorld& operator=(const MenuTestWorld&) = delete;

    // The shared backdrop contexts and themes, as loading's end makes them.
    void createSharedContexts();
    // Ends the audio part a test gave the engine, and SDL's audio with it
    // (before the world goes).
    static void closeAudio();

    // One frame over root (default: the screen stack): the engine clock
    // advances by dt, the input part takes the events fed since the last
    // frame, the event manager picks, root ticks and renders, and the driver
    // finishes the drawing.
    void frame(double dt = 0.02, Context* root = nullptr);
    // frames until seconds have passed.
    void run(double seconds, double dt = 0.02, Context* root = nullptr);
    // Frames, letting other processes and threads run, until done() holds
    // (true) or seconds of real time have passed (false).
    bool runUntil(const std::function<bool()>& done, double seconds);

    // The mouse at a point of the default menu view (origin at the centre, y up).
    void moveMouse(float x, float y);
    // A corner of the view where the tests put no widget. (Leaving the view
    // would end the pointer's grab and with it the tracking of the buttons.)
    void moveAway() { moveMouse(-312.0f, 232.0f); }
    void mouseButton(bool down, int button = SDL_BUTTON_LEFT);
    // Down, a frame, up, a frame.
    void click(float x, float y);
    void key(SDLKey sym, bool down, Uint16 unicode = 0);
    // Down, a frame, up, a frame.
    void typeKey(SDLKey sym, Uint16 unicode);

    // The back-buffer pixel under a point of the default menu view.
    static UColor pixelAt(float x, float y);
    // Alike within the rounding of blending.
    static bool near(UColor a, UColor b);

    EngineTestFolder folder;
    DeviceTestEngine* device = nullptr;
    MenuTestGlobal* global = nullptr;
};

// A menu world with an empty menu screen on the stack, the mouse away from
// its widgets and one frame run.
class MenuScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { delete world; }
    template <class T> T* add(T* item) {
        screen->addChild(item);
        return item;
    }

    MenuTestWorld* world = nullptr;
    ContextMenu* screen = nullptr;
};
