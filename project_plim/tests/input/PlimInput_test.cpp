// Input under Xvfb: SDL events pushed in-process go through the live tables
// into the frame's state; frames last as long as the manual tick source says.
#include "DeviceTestEngine.h"
#include "EngineTestFolder.h"
#include "core/Logger.h"
#include "ManualTickSource.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <vector>

namespace {

class InputTest : public ::testing::Test {
protected:
    void start(const std::string& settings = std::string()) {
        folder.writeUserSettings(settings);
        device = new DeviceTestEngine(true);
        input = PLIM->input;
        device->pumpEvents(); // whatever the window's creation queued
        frame();
    }
    void TearDown() override { delete device; }

    void key(SDLKey sym, bool down, Uint16 unicode = 0) {
        SDL_Event e = {};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = sym;
        e.key.keysym.unicode = unicode;
        SDL_PushEvent(&e);
    }
    void button(int b, bool down) {
        SDL_Event e = {};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = Uint8(b);
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = 10;
        e.button.y = 10;
        SDL_PushEvent(&e);
    }
    void motion(int x, int y, int dx, int dy) {
        SDL_Event e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = Uint16(x);
        e.motion.y = Uint16(y);
        e.motion.xrel = Sint16(dx);
        e.motion.yrel = Sint16(dy);
        SDL_PushEvent(&e);
    }
    void axis(int a, double v) {
        SDL_Event e = {};
        e.type = SDL_JOYAXISMOTION;
        e.jaxis.axis = Uint8(a);
        e.jaxis.value = Sint16(v * 32767.0);
        SDL_PushEvent(&e);
    }
    void joyButton(int b, bool down) {
        SDL_Event e = {};
        e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        e.jbutton.button = Uint8(b);
        SDL_PushEvent(&e);
    }
    // One frame of the given length: events first, then the frame's update.
    void frame(uint32_t ms = 17) {
        device->pumpEvents();
        ticks.advance(ms);
        device->endFrame();
    }

    EngineTestFolder folder;
    ManualTickSource ticks;
    DeviceTestEngine* device = nullptr;
    PlimInput* input = nullptr;
};

TEST_F(InputTest, SettingsKeyTableAndStartUp) {
    start();
    MemoryIniFile* cfg = PLIM->config;
    EXPECT_EQ(cfg->getString("PlimInput", "bTrackKeyboard"), "Yes");
    EXPECT_EQ(cfg->getString("PlimInput", "bTrackMouse"), "Yes");
    EXPECT_EQ(cfg->getString("PlimInput", "bTrackJoystick"), "No");
    EXPECT_EQ(cfg->getString("PlimInput", "bSwapMouseButtons"), "No");
    EXPECT_EQ(cfg->getString("PlimInput", "joystickDeadZone"), "0.20000000");
    EXPECT_EQ(cfg->getString("PlimInput", "repeatRate"), "0.10000000");
    EXPECT_EQ(cfg->getString("PlimInput", "repeatDelay"), "0.25000000");

    int mapped = 0;
    for (int sym = 0; sym < PlimInput::SDL_KEY_COUNT; ++sym) mapped += input->sdlToKey[sym] != 0;
    EXPECT_EQ(mapped, 128);
    EXPECT_EQ(input->sdlToKey[SDLK_a], 30);
    EXPECT_EQ(input->sdlToKey[SDLK_AT], 3);
    EXPECT_EQ(input->sdlToKey[SDLK_RSUPER], 221);
    EXPECT_EQ(input->sdlToKey[SDLK_BREAK], 197);
    EXPECT_EQ(input->sdlToKey[SDLK_KP0], 82);
    EXPECT_EQ(input->sdlToKey[SDLK_F13], 100);
    EXPECT_EQ(input->sdlToKey[SDLK_WORLD_0], 0);
    EXPECT_EQ(input->sdlToKey[SDLK_EURO], 0);

    // Centred in the field of view, bounded by it, grabbed.
    EXPECT_EQ(input->mousePosition[0], 320.0f);
    EXPECT_EQ(input->mousePosition[1], 240.0f);
    EXPECT_EQ(input->mouseBounds[2], 640.0f);
    EXPECT_TRUE(input->bMouseGrabbed);
    EXPECT_EQ(SDL_WM_GrabInput(SDL_GRAB_QUERY), SDL_GRAB_ON);

    PLIM->log->saveCrashLog();
    std::string text = EngineTestFolder::readFile(folder.logPath());
    for (const char* line : {"PlimInput(): Starting...", "PlimInput(): Grabbing keyboard.",
                             "PlimInput(): Grabbing mouse.", "PlimInput(): Started."})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_EQ(text.find("Grabbing joystick."), std::string::npos);
}

TEST_F(InputTest, AKeyIsPressedOnItsFirstFrameAndDownWhileHeld) {
    start();
    key(SDLK_a, true, 'a');
    frame();
    EXPECT_TRUE(input->isKeyDown(30));
    EXPECT_TRUE(input->isKeyPressed(30));
    EXPECT_EQ(input->getKeyPressed(), 30);
    EXPECT_EQ(input->getChar(30), 'a');
    frame();
    EXPECT_TRUE(input->isKeyDown(30));
    EXPECT_FALSE(input->isKeyPressed(30));
    EXPECT_EQ(input->getKeyPressed(), 0);
    key(SDLK_a, false);
    frame();
    EXPECT_FALSE(input->isKeyDown(30));

    // Down and up between two updates (a tap): pressed in the next frame
    // only, then up; the repeat never fires for it.
    key(SDLK_b, true, 'b');
    key(SDLK_b, false);
    frame();
    EXPECT_TRUE(input->isKeyPressed(48));
    EXPECT_EQ(input->getRepeatedKey(), 48);
    EXPECT_EQ(input->getChar(48), 'b');
    frame(400);
    EXPECT_FALSE(input->isKeyDown(48));
    EXPECT_EQ(input->getKeyPressed(), 0);
    EXPECT_EQ(input->getRepeatedKey(), 0);

    // Several symbols share a code; releasing either clears it.
    key(SDLK_LALT, true);
    key(SDLK_LMETA, true);
    frame();
    EXPECT_TRUE(input->isKeyDown(56));
    key(SDLK_LMETA, false);
    frame();
    EXPECT_FALSE(input->isKeyDown(56));

    // Of two keys going down together the lowest code wins.
    key(SDLK_z, true, 'z'); // 44
    key(SDLK_q, true, 'q'); // 16
    frame();
    EXPECT_EQ(input->getKeyPressed(), 16);
}

TEST_F(InputTest, TypedCharactersAndOutOfRangeCodes) {
    start();
    key(SDLK_BACKSPACE, true, 0);
    frame();
    EXPECT_EQ(input->getChar(14), 8);
    key(SDLK_F1, true, 0);
    frame();
    EXPECT_EQ(input->getChar(59), 0); // a key that types nothing
    EXPECT_EQ(input->getChar(14), 0); // no longer the last key
    key(SDLK_e, true, 0xE9);          // a character above 127 changes nothing
    frame();
    EXPECT_TRUE(input->isKeyDown(18));
    EXPECT_EQ(input->lastKey, 59);
    EXPECT_EQ(input->getChar(0), 0);
    input->lastKey = 300;
    EXPECT_EQ(input->getChar(300), 0);

    // Codes from saved bindings may be anything.
    for (int code : {-1, 312, 5000, -100000}) {
        EXPECT_FALSE(input->isKeyDown(code));
        EXPECT_FALSE(input->isKeyPressed(code));
        EXPECT_EQ(input->getKeyName(code), "");
    }
    frame(); // nothing new goes down
    input->repeatKey = 9999;
    input->repeatTimer = -1.0;
    EXPECT_EQ(input->getRepeatedKey(), 0);
    EXPECT_STREQ(input->getTypedText(), "");

    // Fast typing: capitals (Shift, a lower code than N and M, goes down with
    // each), a repeated letter and Backspace all in one frame reach the typed
    // text in order; the frame after has none. Past the capacity they are dropped.
    for (const char* c = "ANMM"; *c; ++c) {
        key(SDLK_LSHIFT, true);
        key(SDLKey(SDLK_a + (*c - 'A')), true, Uint16(*c));
        key(SDLKey(SDLK_a + (*c - 'A')), false);
        key(SDLK_LSHIFT, false);
    }
    key(SDLK_BACKSPACE, true, 8);
    key(SDLK_F1, true, 0);
    frame();
    EXPECT_STREQ(input->getTypedText(), "ANMM\b");
    EXPECT_EQ(input->getKeyPressed(), 30) << "a frame still shows one key pressed, A of 30, 42, 49 and 50";
    frame();
    EXPECT_STREQ(input->getTypedText(), "");
    for (int i = 0; i < PlimInput::TYPED_CAPACITY + 8; ++i) key(SDLK_x, true, 'x');
    frame();
    EXPECT_EQ(std::string(input->getTypedText()), std::string(PlimInput::TYPED_CAPACITY, 'x'));
}

TEST_F(InputTest, KeyRepeatFollowsTheDelayThenTheRate) {
    start();
    // 17 ms frames: the 0.25 s delay ends after 15 frames, each 0.1 s of the
    // rate after 6.
    std::vector<int> fired;
    key(SDLK_RIGHT, true);
    for (int f = 0; f < 40; ++f) {
        frame();
        if (input->getRepeatedKey() == 205) fired.push_back(f);
    }
    EXPECT_EQ(fired, (std::vector<int>{0, 15, 21, 27, 33, 39}));

    key(SDLK_RIGHT, false);
    fired.clear();
    for (int f = 0; f < 20; ++f) {
        frame();
        if (input->getRepeatedKey()) fired.push_back(f);
    }
    EXPECT_TRUE(fired.empty());
}

TEST_F(InputTest, ASecondKeyTakesTheRepeatOverAndItsReleaseEndsAllRepeats) {
    start();
    key(SDLK_a, true, 'a');
    std::vector<std::pair<int, int>> fired;
    for (int f = 0; f < 20; ++f) {
        if (f == 17) key(SDLK_s, true, 's');
        frame();
        if (int k = input->getRepeatedKey()) fired.push_back({f, k});
    }
    // A at 0 and 15; S at 17 and again only after its own delay (17 + 15).
    EXPECT_EQ(fired, (std::vector<std::pair<int, int>>{{0, 30}, {15, 30}, {17, 31}}));
    fired.clear();
    for (int f = 20; f < 40; ++f) {
        if (f == 33) key(SDLK_s, false);
        frame();
        if (int k = input->getRepeatedKey()) fired.push_back({f, k});
    }
    EXPECT_EQ(fired, (std::vector<std::pair<int, int>>{{32, 31}}));
}

TEST_F(InputTest, WheelNotchesAddUpScaledByTheMouseSpeed) {
    start();
    input->mouseSpeed = 0.25;
    PLIM->hardwareMouseScaling = 2.0;
    float z = input->mousePosition[2];
    button(SDL_BUTTON_WHEELUP, true);
    button(SDL_BUTTON_WHEELUP, false);
    button(SDL_BUTTON_WHEELUP, true);
    button(SDL_BUTTON_WHEELDOWN, true);
    frame();
    EXPECT_FLOAT_EQ(input->mousePosition[2] - z, 60.0f);
    EXPECT_FLOAT_EQ(input->mouseDelta[2], 60.0f);
    EXPECT_FALSE(input->buttonsNow[0]);
    frame();
    EXPECT_FLOAT_EQ(input->mouseDelta[2], 0.0f);
    // The wheel is never clamped.
    for (int i = 0; i < 20; ++i) button(SDL_BUTTON_WHEELDOWN, true);
    frame();
    EXPECT_FLOAT_EQ(input->mousePosition[2] - z, 60.0f - 20 * 60.0f);
}

TEST_F(InputTest, ButtonsAndSwappedButtons) {
    start("bSwapMouseButtons=Yes\n");
    EXPECT_TRUE(input->bSwapMouseButtons);
    button(SDL_BUTTON_RIGHT, true);
    frame();
    EXPECT_TRUE(input->buttonsNow[0]);
    EXPECT_FALSE(input->buttonsNow[1]);
    EXPECT_TRUE(input->anyMouseButtonPressed());
    frame();
    EXPECT_FALSE(input->anyMouseButtonPressed());
    button(SDL_BUTTON_RIGHT, false);
    button(SDL_BUTTON_MIDDLE, true);
    frame();
    EXPECT_FALSE(input->buttonsNow[0]);
    EXPECT_TRUE(input->buttonsNow[2]);

    // A tap between two updates is one press, then up.
    button(SDL_BUTTON_LEFT, true);
    button(SDL_BUTTON_LEFT, false);
    frame();
    EXPECT_TRUE(input->buttonsNow[1]);
    EXPECT_TRUE(input->anyMouseButtonPressed());
    frame();
    EXPECT_FALSE(input->buttonsNow[1]);
    EXPECT_FALSE(input->anyMouseButtonPressed());
}

TEST_F(InputTest, RelativeMotionMovesThePointerUpPositive) {
    start();
    input->setMouseGrab(false, 0, 0, 0);
    input->setMouseGrab(true, 100.0f, 80.0f, 0.0f); // a press at window (100, 80)
    EXPECT_EQ(input->mousePosition[0], 100.0f);
    EXPECT_EQ(input->mousePosition[1], 400.0f);
    motion(300, 300, 50, 50);  // the first motion after a grab is dropped
    motion(320, 240, 7, 7);    // so is one reported at the window centre
    motion(330, 250, 10, -20);
    frame();
    EXPECT_FLOAT_EQ(input->mouseDelta[0], 10.0f);
    EXPECT_FLOAT_EQ(input->mouseDelta[1], 20.0f);
    EXPECT_FLOAT_EQ(input->mousePosition[0], 110.0f);
    EXPECT_FLOAT_EQ(input->mousePosition[1], 420.0f);

    // Full screen (or no release at edge): the pointer stops at the bounds.
    motion(330, 250, -500, -500);
    frame();
    EXPECT_FLOAT_EQ(input->mousePosition[0], 0.0f);
    EXPECT_FLOAT_EQ(input->mousePosition[1], 480.0f);
    EXPECT_TRUE(input->bMouseGrabbed);
}

TEST_F(InputTest, LeavingTheWindowReleasesTheGrabWhenTheScreenAsks) {
    start();
    input->bReleaseGrabAtEdge = true;
    motion(300, 300, 1, 0); // the skipped first motion after the start's grab
    motion(330, 250, 400, 0);
    frame();
    EXPECT_FALSE(input->bMouseGrabbed);
    EXPECT_EQ(SDL_WM_GrabInput(SDL_GRAB_QUERY), SDL_GRAB_OFF);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_FLOAT_EQ(input->mousePosition[0], 640.0f);
    // Released: motion no longer moves the pointer, a press grabs again.
    motion(330, 250, -100, 0);
    frame();
    EXPECT_FLOAT_EQ(input->mousePosition[0], 640.0f);
    input->setMouseGrab(true, 320.0f, 240.0f, 0.0f);
    EXPECT_TRUE(input->bMouseGrabbed);
    EXPECT_EQ(input->mousePosition[0], 320.0f);
}

TEST_F(InputTest, JoystickAxesPressDirectionsBeyondTheDeadZone) {
    start("joystickDeadZone=0.30000000\n");
    input->bTrackJoystick = true; // no joystick here: its events are pushed
    axis(0, 0.5);
    frame();
    EXPECT_TRUE(input->isKeyDown(KEY_JOY_RIGHT));
    axis(0, -0.9); // far negative without passing the dead zone: both down
    frame();
    EXPECT_TRUE(input->isKeyDown(KEY_JOY_LEFT));
    EXPECT_TRUE(input->isKeyDown(KEY_JOY_RIGHT));
    axis(0, 0.25); // inside the dead zone clears both
    frame();
    EXPECT_FALSE(input->isKeyDown(KEY_JOY_LEFT));
    EXPECT_FALSE(input->isKeyDown(KEY_JOY_RIGHT));
    axis(1, -0.5);
    axis(2, 0.9); // other axes are ignored
    frame();
    EXPECT_TRUE(input->isKeyDown(KEY_JOY_UP));
    EXPECT_FALSE(input->isKeyDown(KEY_JOY_DOWN));

    // A joystick button reads like a key, repeat included.
    axis(1, 0.0);
    joyButton(3, true);
    joyButton(40, true); // beyond the 32 buttons: ignored
    frame();
    EXPECT_EQ(input->getKeyPressed(), 275);
    EXPECT_EQ(input->getRepeatedKey(), 275);
    for (int f = 0; f < 14; ++f) {
        frame();
        EXPECT_EQ(input->getRepeatedKey(), 0);
    }
    frame();
    EXPECT_EQ(input->getRepeatedKey(), 275);

    input->bTrackJoystick = false;
    joyButton(3, false);
    frame();
    EXPECT_TRUE(input->isKeyDown(275));
}

TEST_F(InputTest, WithoutKeyboardTrackingNothingReadsAsDown) {
    start("bTrackKeyboard=No\n");
    input->bTrackJoystick = true;
    key(SDLK_a, true, 'a');
    joyButton(0, true);
    frame();
    EXPECT_FALSE(input->isKeyDown(30));
    EXPECT_FALSE(input->isKeyDown(272));
    EXPECT_TRUE(input->keysLive[30]);
    EXPECT_EQ(input->lastKey, 30);
}

TEST_F(InputTest, WithoutMouseTrackingThePointerNeverMoves) {
    start("bTrackMouse=No\n");
    EXPECT_FALSE(input->bMouseGrabbed);
    input->setMouseGrab(true, 10.0f, 10.0f, 0.0f); // a click in the window
    motion(1, 1, 1, 1);
    motion(330, 250, 30, 30);
    button(SDL_BUTTON_LEFT, true);
    button(SDL_BUTTON_WHEELUP, true);
    frame();
    EXPECT_FALSE(input->buttonsNow[0]);
    EXPECT_FLOAT_EQ(input->mouseDelta[0], 0.0f);
    EXPECT_FLOAT_EQ(input->mousePosition[0], 10.0f);
    EXPECT_FLOAT_EQ(input->mousePosition[2], 0.0f);
}

} // namespace
