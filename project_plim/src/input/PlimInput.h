#pragma once
// Keyboard, mouse and joystick: SDL events go into a live key table at any time;
// once per running frame update() copies it into the frame's table, so every
// reader in a frame sees the same state. Keys are numbered by the 312-code key
// table (keyboard scan codes, joystick pseudo-keys from 256, mouse names at the
// top).
#include "util/UString.h"

#include <SDL.h>
#include <cstdint>

class RuntimeClass;

// Key codes the engine reads by number.
enum {
    KEY_ESCAPE = 1,
    KEY_BACK = 14,
    KEY_TAB = 15,
    KEY_GRAVE = 41,
    KEY_LSHIFT = 42,
    KEY_F9 = 67,
    KEY_F10 = 68,
    KEY_F11 = 87,
    KEY_PAUSE = 197,
    KEY_PRIOR = 201,
    KEY_JOY_UP = 256,
    KEY_JOY_DOWN = 257,
    KEY_JOY_LEFT = 258,
    KEY_JOY_RIGHT = 259,
    KEY_JOY_BUTTON0 = 272,
    KEY_MOUSE_UP = 304,
    KEY_COUNT = 312
};

class PlimInput {
public:
    enum { SDL_KEY_COUNT = 323, MOUSE_BUTTONS = 4, JOYSTICK_BUTTONS = 32, TYPED_CAPACITY = 64 };

    static RuntimeClass runtimeClass;

    PlimInput();
    virtual RuntimeClass* getClass();
    virtual ~PlimInput();

    // Applies one SDL event to the live state; other event kinds are ignored.
    void onSdlEvent(const SDL_Event& event);
    // Once per running frame, before anything reads input.
    void update();
    // Centres the pointer and bounds it by the field of view (needs graphics).
    void resetMouse();
    // Grab (pointer moved to the window point (x, y) unless all three are 0)
    // or release (the system cursor reappears where the pointer is).
    void setMouseGrab(bool grab, float x, float y, float z);
    // The system grab behind bMouseGrabbed: taken only when the pointer is
    // free (else it waits, and running frames try again), dropped around a
    // mode change and when the window loses focus (see DisplayLink).
    void takeSystemGrab();
    void dropSystemGrab();

    // Key codes come from saved bindings too: anything outside 0..311 reads
    // as not down / no character instead of indexing past the tables.
    static bool isValidKey(int code) { return code >= 0 && code < KEY_COUNT; }
    bool isKeyDown(int code) const;
    bool isKeyPressed(int code) const;
    // Lowest code that went down this frame; 0 when none.
    int getKeyPressed() const;
    // The typed 7-bit character of the last key press when code is that key.
    char getChar(int code) const;
    // Every character typed since the previous frame, in order (Backspace as
    // 8), NUL-terminated. Text entry reads this rather than getKeyPressed and
    // getChar, which see one key a frame: fast typing puts several presses
    // (and a capital's Shift, a lower code than most letters) into one frame.
    const char* getTypedText() const { return typedNow; }
    bool anyMouseButtonPressed() const;
    // The key that fires this frame under key repeat, 0 when none.
    int getRepeatedKey();
    // Display name of a key code; empty for codes outside the table.
    UString getKeyName(int code) const;

    UString keyNames[KEY_COUNT];
    bool bClampMouse = true;
    float mouseBounds[4] = {};   // minX, minY, maxX, maxY
    double mouseSpeed = 1.0;
    float mousePosition[3] = {}; // field-of-view units, y up; z is the wheel
    float mouseDelta[3] = {};
    double repeatRate = 0.1;
    double repeatDelay = 0.25;
    bool bReleaseGrabAtEdge = false;
    bool bSwapMouseButtons = false;
    bool bTrackKeyboard = true;
    bool bTrackMouse = true;
    bool bMouseGrabbed = false;
    // bMouseGrabbed, but the system grab is still to be taken.
    bool bGrabWaiting = false;
    bool bTrackJoystick = true;
    uint8_t keysNow[KEY_COUNT] = {};
    uint8_t keysPrevious[KEY_COUNT] = {};
    uint8_t buttonsNow[MOUSE_BUTTONS] = {};
    uint8_t buttonsPrevious[MOUSE_BUTTONS] = {};
    double joystickDeadZone = 0.2;
    double repeatTimer = 0.0;
    int repeatKey = 0;
    int lastKey = 0;
    int8_t lastChar = 0;
    uint8_t keysLive[KEY_COUNT] = {};
    float motionAccumulator[3] = {};
    uint8_t buttonsLive[MOUSE_BUTTONS] = {};
    bool bSkipNextMotion = false;
    int sdlToKey[SDL_KEY_COUNT] = {};
    // Presses seen by events since the last update: a tap that ends before the
    // next frame still shows as down in that frame's copy.
    uint8_t keysTapped[KEY_COUNT] = {};
    uint8_t buttonsTapped[MOUSE_BUTTONS] = {};
    // Characters typed since the last update (more are dropped), and this frame's.
    char typedLive[TYPED_CAPACITY + 1] = {};
    int typedLiveCount = 0;
    char typedNow[TYPED_CAPACITY + 1] = {};

private:
    void fillKeyMap();
    void readSettings();
    void openJoystick();
    void onFocus(bool gained);
    // Once per running frame: the grab that waits, and full screen that waits for the pointer.
    void retryGrab();
    // The last try found the pointer held by another program (logged once).
    bool bPointerHeldElsewhere = false;
    void onKey(const SDL_KeyboardEvent& key, bool down);
    void addTyped(char c);
    void pressLive(int code, bool down);
    void pressButton(int index, bool down);
    void onMouseMotion(const SDL_MouseMotionEvent& motion);
    void onMouseButton(int button, bool down);
    void onJoystickAxis(int axis, int value);
    void clampPointer();
};
