#include "PlimInput.h"

#include "render/DisplayLink.h"
#include "core/ErrorManager.h"
#include "core/Logger.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/PlimUtil.h"
#include "core/RuntimeClass.h"

#include <cmath>
#include <cstring>

RuntimeClass PlimInput::runtimeClass("PlimInput", &PlimInput::runtimeClass, nullptr);

namespace {

// SDL 1.2 key symbols and the key codes they press; every other symbol is ignored.
struct KeyMapEntry {
    int sym;
    int code;
};

const KeyMapEntry KEY_MAP[] = {
    {SDLK_ESCAPE, 1}, {SDLK_BACKSPACE, 14}, {SDLK_TAB, 15}, {SDLK_RETURN, 28},
    {SDLK_SPACE, 57}, {SDLK_PAUSE, 197}, {SDLK_DELETE, 211},

    {SDLK_1, 2}, {SDLK_2, 3}, {SDLK_3, 4}, {SDLK_4, 5}, {SDLK_5, 6},
    {SDLK_6, 7}, {SDLK_7, 8}, {SDLK_8, 9}, {SDLK_9, 10}, {SDLK_0, 11},

    {SDLK_a, 30}, {SDLK_b, 48}, {SDLK_c, 46}, {SDLK_d, 32}, {SDLK_e, 18}, {SDLK_f, 33},
    {SDLK_g, 34}, {SDLK_h, 35}, {SDLK_i, 23}, {SDLK_j, 36}, {SDLK_k, 37}, {SDLK_l, 38},
    {SDLK_m, 50}, {SDLK_n, 49}, {SDLK_o, 24}, {SDLK_p, 25}, {SDLK_q, 16}, {SDLK_r, 19},
    {SDLK_s, 31}, {SDLK_t, 20}, {SDLK_u, 22}, {SDLK_v, 47}, {SDLK_w, 17}, {SDLK_x, 45},
    {SDLK_y, 21}, {SDLK_z, 44},

    {SDLK_MINUS, 12}, {SDLK_EQUALS, 13}, {SDLK_LEFTBRACKET, 26}, {SDLK_RIGHTBRACKET, 27},
    {SDLK_SEMICOLON, 39}, {SDLK_QUOTE, 40}, {SDLK_BACKQUOTE, 41}, {SDLK_BACKSLASH, 43},
    {SDLK_COMMA, 51}, {SDLK_PERIOD, 52}, {SDLK_SLASH, 53},

    // Shifted symbols press the key that types them on the original layout.
    {SDLK_EXCLAIM, 2}, {SDLK_QUOTEDBL, 3}, {SDLK_HASH, 4}, {SDLK_DOLLAR, 5},
    {SDLK_AMPERSAND, 6}, {SDLK_LEFTPAREN, 10}, {SDLK_RIGHTPAREN, 11}, {SDLK_ASTERISK, 9},
    {SDLK_PLUS, 13}, {SDLK_COLON, 39}, {SDLK_LESS, 51}, {SDLK_GREATER, 52},
    {SDLK_QUESTION, 53}, {SDLK_AT, 3}, {SDLK_CARET, 7}, {SDLK_UNDERSCORE, 12},

    {SDLK_KP0, 82}, {SDLK_KP1, 79}, {SDLK_KP2, 80}, {SDLK_KP3, 81}, {SDLK_KP4, 75},
    {SDLK_KP5, 76}, {SDLK_KP6, 77}, {SDLK_KP7, 71}, {SDLK_KP8, 72}, {SDLK_KP9, 73},
    {SDLK_KP_PERIOD, 83}, {SDLK_KP_DIVIDE, 181}, {SDLK_KP_MULTIPLY, 55},
    {SDLK_KP_MINUS, 74}, {SDLK_KP_PLUS, 78}, {SDLK_KP_ENTER, 156}, {SDLK_KP_EQUALS, 141},

    {SDLK_UP, 200}, {SDLK_DOWN, 208}, {SDLK_RIGHT, 205}, {SDLK_LEFT, 203},
    {SDLK_INSERT, 210}, {SDLK_HOME, 199}, {SDLK_END, 207}, {SDLK_PAGEUP, 201},
    {SDLK_PAGEDOWN, 209},

    {SDLK_F1, 59}, {SDLK_F2, 60}, {SDLK_F3, 61}, {SDLK_F4, 62}, {SDLK_F5, 63},
    {SDLK_F6, 64}, {SDLK_F7, 65}, {SDLK_F8, 66}, {SDLK_F9, 67}, {SDLK_F10, 68},
    {SDLK_F11, 87}, {SDLK_F12, 88}, {SDLK_F13, 100}, {SDLK_F14, 101}, {SDLK_F15, 102},

    {SDLK_NUMLOCK, 69}, {SDLK_CAPSLOCK, 58}, {SDLK_SCROLLOCK, 70},
    {SDLK_LSHIFT, 42}, {SDLK_RSHIFT, 54}, {SDLK_LCTRL, 29}, {SDLK_RCTRL, 157},
    {SDLK_LALT, 56}, {SDLK_LMETA, 56}, {SDLK_RALT, 184}, {SDLK_RMETA, 184}, {SDLK_MODE, 184},
    {SDLK_LSUPER, 219}, {SDLK_RSUPER, 221},
    {SDLK_PRINT, 183}, {SDLK_SYSREQ, 183}, {SDLK_BREAK, 197},
};
static_assert(sizeof(KEY_MAP) / sizeof(KEY_MAP[0]) == 128, "the key map has 128 entries");
static_assert(int(SDLK_LAST) == int(PlimInput::SDL_KEY_COUNT), "SDL key symbols run from 0 to 322");

} // namespace

RuntimeClass* PlimInput::getClass() { return &runtimeClass; }

PlimInput::PlimInput() {
    logTagged("PlimInput", "Starting...");
    fillKeyMap();
    readSettings();

    if (bTrackKeyboard) {
        logTagged("PlimInput", "Grabbing keyboard.");
        SDL_EnableUNICODE(1);
    }
    if (bTrackMouse) {
        logTagged("PlimInput", "Grabbing mouse.");
        // Graphics does not exist yet: all-zero arguments keep the pointer where it is.
        setMouseGrab(true, 0.0f, 0.0f, 0.0f);
    }
    if (bTrackJoystick)
        openJoystick();
    logTagged("PlimInput", "Started.");
}

// The grab, the joystick and its subsystem are left as they are; SDL_Quit ends them.
PlimInput::~PlimInput() {}

void PlimInput::fillKeyMap() {
    for (const KeyMapEntry& e : KEY_MAP)
        sdlToKey[e.sym] = e.code;
}

void PlimInput::readSettings() {
    MemoryIniFile* cfg = PLIM->config;
    const UString section = getClass()->name;
    bTrackKeyboard = true;
    bTrackMouse = true;
    bTrackJoystick = true;
    bSwapMouseButtons = false;
    joystickDeadZone = 0.2;
    repeatRate = 0.1;
    repeatDelay = 0.25;
    cfg->readSetting(section, "bTrackKeyboard", bTrackKeyboard);
    cfg->readSetting(section, "bTrackMouse", bTrackMouse);
    cfg->readSetting(section, "bTrackJoystick", bTrackJoystick);
    cfg->readSetting(section, "bSwapMouseButtons", bSwapMouseButtons);
    cfg->readSetting(section, "joystickDeadZone", joystickDeadZone);
    cfg->readSetting(section, "repeatRate", repeatRate);
    cfg->readSetting(section, "repeatDelay", repeatDelay);
}

void PlimInput::openJoystick() {
    logTagged("PlimInput", "Grabbing joystick.");
    PLIM_ASSERT_MSG(SDL_InitSubSystem(SDL_INIT_JOYSTICK)==0, SDL_GetError());
    int count = SDL_NumJoysticks();
    logTagged("PlimInput", "System has %d joysticks.", count);
    if (count < 1) return;
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_JoystickName(i);
        logTagged("PlimInput", "\tJoystick %i: %s", i, name ? name : "");
    }
    logTagged("PlimInput", "Opening joystick 0.");
    SDL_Joystick* joystick = SDL_JoystickOpen(0);
    if (!joystick) {
        logTagged("PlimInput", "Failed.");
        return;
    }
    logTagged("PlimInput", "SDL_JoystickNumAxes: %d", SDL_JoystickNumAxes(joystick));
    logTagged("PlimInput", "SDL_JoystickNumBalls: %d", SDL_JoystickNumBalls(joystick));
    logTagged("PlimInput", "SDL_JoystickNumHats: %d", SDL_JoystickNumHats(joystick));
    logTagged("PlimInput", "SDL_JoystickNumButtons: %d", SDL_JoystickNumButtons(joystick));
}

// --- Events ----------------------------------------------------------------

void PlimInput::onSdlEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN: onKey(event.key, true); break;
    case SDL_KEYUP: onKey(event.key, false); break;
    case SDL_MOUSEMOTION: onMouseMotion(event.motion); break;
    case SDL_MOUSEBUTTONDOWN: onMouseButton(event.button.button, true); break;
    case SDL_MOUSEBUTTONUP: onMouseButton(event.button.button, false); break;
    case SDL_ACTIVEEVENT:
        if (event.active.state & SDL_APPINPUTFOCUS) onFocus(event.active.gain != 0);
        break;
    case SDL_JOYAXISMOTION:
        if (bTrackJoystick) onJoystickAxis(event.jaxis.axis, event.jaxis.value);
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (bTrackJoystick && event.jbutton.button < JOYSTICK_BUTTONS)
            pressLive(KEY_JOY_BUTTON0 + event.jbutton.button, event.type == SDL_JOYBUTTONDOWN);
        break;
    default: break;
    }
}

void PlimInput::onFocus(bool gained) {
    SDL_Surface* surface = SDL_GetVideoSurface();
    if (!surface) return;
    if (!(surface->flags & SDL_FULLSCREEN)) {
        // Else SDL takes the grab back itself when the focus returns, waiting
        // for as long as another program holds the pointer then.
        if (!gained) dropSystemGrab();
    } else if (gained && PLIM->graphics && !DisplayLink::takePointer()) {
        // In full screen it always does, a moment later: a window until the pointer is free.
        PLIM->graphics->waitForPointer();
        PLIM->bRestartPresentation = true;
    }
}

void PlimInput::onKey(const SDL_KeyboardEvent& key, bool down) {
    int sym = key.keysym.sym;
    if (sym < 0 || sym >= SDL_KEY_COUNT) return;
    int code = sdlToKey[sym];
    if (code == 0) return;
    pressLive(code, down);
    if (!down) return;
    if (sym == SDLK_BACKSPACE) {
        lastKey = code;
        lastChar = 8;
    } else if ((key.keysym.unicode & ~0x7F) == 0) {
        lastKey = code;
        lastChar = int8_t(key.keysym.unicode);
    } else {
        return;
    }
    addTyped(char(lastChar));
}

void PlimInput::addTyped(char c) {
    if (c == 0 || typedLiveCount >= TYPED_CAPACITY) return;
    typedLive[typedLiveCount++] = c;
    typedLive[typedLiveCount] = 0;
}

void PlimInput::onMouseMotion(const SDL_MouseMotionEvent& motion) {
    if (!bMouseGrabbed) return;
    if (bSkipNextMotion) {
        bSkipNextMotion = false;
        return;
    }
    PlimGraphics* g = PLIM->graphics;
    if (g) {
        // The echo of our own warp to the centre.
        if (motion.x == g->screenWidth / 2 && motion.y == g->screenHeight / 2) return;
    }
    motionAccumulator[0] += motion.xrel;
    motionAccumulator[1] -= motion.yrel;
    if (g) SDL_WarpMouse(Uint16(g->screenWidth / 2), Uint16(g->screenHeight / 2));
}

void PlimInput::onMouseButton(int button, bool down) {
    switch (button) {
    case SDL_BUTTON_LEFT: pressButton(0, down); break;
    case SDL_BUTTON_RIGHT: pressButton(1, down); break;
    case SDL_BUTTON_MIDDLE: pressButton(2, down); break;
    case SDL_BUTTON_WHEELUP:
        if (down) motionAccumulator[2] += 120.0f;
        break;
    case SDL_BUTTON_WHEELDOWN:
        if (down) motionAccumulator[2] -= 120.0f;
        break;
    default: break;
    }
}

void PlimInput::onJoystickAxis(int axis, int value) {
    int negative, positive;
    if (axis == 0) {
        negative = KEY_JOY_LEFT;
        positive = KEY_JOY_RIGHT;
    } else if (axis == 1) {
        negative = KEY_JOY_UP;
        positive = KEY_JOY_DOWN;
    } else {
        return;
    }
    float v = float(value) * (1.0f / 32768.0f);
    if (double(v) > joystickDeadZone) {
        pressLive(positive, true);
    } else if (double(v) < -joystickDeadZone) {
        pressLive(negative, true);
    } else {
        keysLive[negative] = 0;
        keysLive[positive] = 0;
    }
}

void PlimInput::pressLive(int code, bool down) {
    keysLive[code] = down;
    if (down) keysTapped[code] = 1;
}

void PlimInput::pressButton(int index, bool down) {
    buttonsLive[index] = down;
    if (down) buttonsTapped[index] = 1;
}

// --- Frame update ----------------------------------------------------------

void PlimInput::update() {
    if (PLIM->bWindowFocus) retryGrab();
    if (repeatTimer <= 0.0) repeatTimer = repeatRate;
    repeatTimer -= PLIM->getDeltaTime();

    if (bTrackKeyboard) {
        memcpy(keysPrevious, keysNow, sizeof keysNow);
        for (int code = 0; code < KEY_COUNT; ++code) keysNow[code] = keysLive[code] | keysTapped[code];
        memcpy(typedNow, typedLive, size_t(typedLiveCount) + 1);
    }
    memset(keysTapped, 0, sizeof keysTapped);
    typedLiveCount = 0;
    typedLive[0] = 0;

    if (!bTrackMouse || !bMouseGrabbed) {
        memset(buttonsTapped, 0, sizeof buttonsTapped);
        return;
    }

    float k = float(mouseSpeed) * float(PLIM->hardwareMouseScaling);
    for (int i = 0; i < 3; ++i) {
        mouseDelta[i] = motionAccumulator[i] * k;
        mousePosition[i] += mouseDelta[i];
        motionAccumulator[i] = 0.0f;
    }
    if (bClampMouse) clampPointer();

    memcpy(buttonsPrevious, buttonsNow, sizeof buttonsNow);
    for (int i = 0; i < MOUSE_BUTTONS; ++i) buttonsNow[i] = buttonsLive[i] | buttonsTapped[i];
    memset(buttonsTapped, 0, sizeof buttonsTapped);
    if (bSwapMouseButtons) {
        uint8_t left = buttonsNow[0];
        buttonsNow[0] = buttonsNow[1];
        buttonsNow[1] = left;
    }
}

void PlimInput::clampPointer() {
    float& x = mousePosition[0];
    float& y = mousePosition[1];
    const float minX = mouseBounds[0], minY = mouseBounds[1];
    const float maxX = mouseBounds[2], maxY = mouseBounds[3];
    PlimGraphics* g = PLIM->graphics;
    bool windowed = g && !g->bFullScreen;
    if (windowed && bReleaseGrabAtEdge && (x < minX || x > maxX || y < minY || y > maxY))
        setMouseGrab(false, 0.0f, 0.0f, 0.0f);
    if (x < minX) x = minX;
    if (x > maxX) x = maxX;
    if (y < minY) y = minY;
    if (y > maxY) y = maxY;
}

void PlimInput::resetMouse() {
    PlimGraphics* g = PLIM->graphics;
    int fw = g ? g->fovWidth : 0;
    int fh = g ? g->fovHeight : 0;
    mousePosition[0] = float(fw / 2);
    mousePosition[1] = float(fh / 2);
    mousePosition[2] = 0.0f;
    mouseBounds[0] = 0.0f;
    mouseBounds[1] = 0.0f;
    mouseBounds[2] = float(fw);
    mouseBounds[3] = float(fh);
}

void PlimInput::setMouseGrab(bool grab, float x, float y, float z) {
    PlimGraphics* g = PLIM->graphics;
    // Without graphics (during start-up) or with a degenerate size there is no
    // window point to convert from or to.
    bool haveSizes = g && g->screenWidth > 0 && g->screenHeight > 0 && g->fovWidth > 0 &&
                     g->fovHeight > 0;
    float W = haveSizes ? float(g->screenWidth) : 0.0f;
    float H = haveSizes ? float(g->screenHeight) : 0.0f;
    float FW = haveSizes ? float(g->fovWidth) : 0.0f;
    float FH = haveSizes ? float(g->fovHeight) : 0.0f;

    if (grab) {
        if (bMouseGrabbed) return;
        for (int i = 0; i < 3; ++i) {
            mouseDelta[i] = 0.0f;
            motionAccumulator[i] = 0.0f;
        }
        bMouseGrabbed = true;
        bSkipNextMotion = true;
        takeSystemGrab();
        SDL_ShowCursor(SDL_DISABLE);
        if ((x != 0.0f || y != 0.0f || z != 0.0f) && haveSizes) {
            mousePosition[0] = std::trunc(FW / W * x);
            mousePosition[1] = std::trunc((H - y) * (FH / H));
            mousePosition[2] = 0.0f;
        }
        return;
    }

    if (!bMouseGrabbed) return;
    bMouseGrabbed = false;
    for (float& d : mouseDelta) d = 0.0f;
    if (!bGrabWaiting) SDL_WM_GrabInput(SDL_GRAB_OFF);
    bGrabWaiting = false;
    SDL_ShowCursor(SDL_ENABLE);
    if (haveSizes) {
        float wx = std::trunc(W / FW * mousePosition[0]);
        float wy = std::trunc(H - H / FH * mousePosition[1]);
        if (wx < 0.0f) wx = 0.0f;
        if (wy < 0.0f) wy = 0.0f;
        // Far beyond any window: keep the conversion to 16 bits defined.
        if (wx > 65535.0f) wx = 65535.0f;
        if (wy > 65535.0f) wy = 65535.0f;
        SDL_WarpMouse(Uint16(wx), Uint16(wy));
    }
}

void PlimInput::takeSystemGrab() {
    if (!bMouseGrabbed) return;
    // Before the window exists the grab waits for it (SDL would take it inside SDL_SetVideoMode).
    if (!SDL_GetVideoSurface()) {
        bGrabWaiting = true;
        return;
    }
    if (!DisplayLink::takePointer()) {
        if (!bGrabWaiting || !bPointerHeldElsewhere)
            logTagged("takeSystemGrab", "Another program holds the pointer: grabbing it once it is free.");
        bGrabWaiting = true;
        bPointerHeldElsewhere = true;
        return;
    }
    SDL_WM_GrabInput(SDL_GRAB_ON);
    if (bPointerHeldElsewhere) logTagged("takeSystemGrab", "The pointer is free: grabbed.");
    bGrabWaiting = false;
    bPointerHeldElsewhere = false;
}

void PlimInput::dropSystemGrab() {
    SDL_Surface* surface = SDL_GetVideoSurface();
    if (bMouseGrabbed && !bGrabWaiting && surface) {
        // In full screen SDL grabs even to turn its grab off: at once only when the pointer is ours.
        if (!(surface->flags & SDL_FULLSCREEN) || DisplayLink::takePointer()) SDL_WM_GrabInput(SDL_GRAB_OFF);
    }
    bGrabWaiting = bMouseGrabbed;
}

void PlimInput::retryGrab() {
    if (bGrabWaiting) takeSystemGrab();
    if (PLIM->graphics) PLIM->graphics->retryFullScreen();
}

// --- Queries ---------------------------------------------------------------

bool PlimInput::isKeyDown(int code) const { return isValidKey(code) && keysNow[code]; }

bool PlimInput::isKeyPressed(int code) const {
    return isValidKey(code) && keysNow[code] && !keysPrevious[code];
}

int PlimInput::getKeyPressed() const {
    for (int code = 0; code < KEY_COUNT; ++code)
        if (keysNow[code] && !keysPrevious[code]) return code;
    return 0;
}

char PlimInput::getChar(int code) const {
    if (code >= 1 && code <= 255 && code == lastKey) return char(lastChar);
    return 0;
}

bool PlimInput::anyMouseButtonPressed() const {
    for (int i = 0; i < MOUSE_BUTTONS; ++i)
        if (buttonsNow[i] && !buttonsPrevious[i]) return true;
    return false;
}

int PlimInput::getRepeatedKey() {
    int first = getKeyPressed();
    if (first > 0) {
        repeatKey = first;
        repeatTimer = repeatDelay;
        return first;
    }
    if (isValidKey(repeatKey) && keysNow[repeatKey] && repeatTimer <= 0.0) return repeatKey;
    return 0;
}

UString PlimInput::getKeyName(int code) const {
    return isValidKey(code) ? keyNames[code] : UString();
}
