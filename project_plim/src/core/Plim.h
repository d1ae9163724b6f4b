#pragma once
// The engine singleton: owns every part of the engine, the engine-wide settings
// and flags, the list of live engine objects, and runs the frame loop.
#include "ObjectLink.h"
#include "PeriodTimer.h"
#include "util/UString.h"

#include <cstdint>

class Logger;
class ErrorManager;
class PlimInput;
class PlimGraphics;
class PlimAudio;
class PlimNetwork;
class FileManager;
class ResourceManager;
class TimeKeeper;
class Console;
class FontGDI;
class EventManager;
class Language;
class MemoryIniFile;
class Context;
class RuntimeClass;
union SDL_Event;

enum PlimMode { MODE_RESTORE = 1, MODE_INACTIVE = 2, MODE_OK = 3 };

// Per-frame counters, reset at the start of each frame.
enum FrameStat {
    STAT_RENDERABLES,
    STAT_RENDERABLES_DRAWN,
    STAT_VERTICES,
    STAT_TEXTURES_USED,
    STAT_TEXTURE_PIXELS,
    STAT_COLLISIONS,
    STAT_VERTEX_BUFFER_WRITES,
    STAT_VISUAL_UPDATES,
    STAT_INVERSE_TRANSFORMS,
    STAT_COUNT
};

class Plim {
public:
    // Full start-up: every part in its fixed order, the window included.
    Plim();
    // Bare engine for tools and tests: the fields and the engine pointer, no parts.
    // Parts may then be created one by one by the caller.
    struct Bare {};
    explicit Plim(Bare);
    virtual RuntimeClass* getClass();
    static RuntimeClass runtimeClass;
    virtual ~Plim();

    // One pass of the engine over the root context (may be null).
    void frame(Context* root);
    // Moves the engine mode one step at a time towards newMode, telling the
    // audio part and every live object about each step.
    void changePLIMmode(int newMode);
    // Every SDL event the application's loop receives.
    void sdlOnEvent(SDL_Event* event);
    // Writes the user's settings, the current language as defaultLanguage;
    // false when there are none or they could not be written.
    bool saveConfig();
    // The moment the current frame began; the same for every caller in a frame.
    double getTime() const;
    // Length of the previous frame, its wait included (debug keys may scale it).
    double getDeltaTime() const;

    Logger* log = nullptr;
    ErrorManager* errorManager = nullptr;
    PlimInput* input = nullptr;
    PlimGraphics* graphics = nullptr;
    PlimAudio* audio = nullptr;
    PlimNetwork* network = nullptr;
    FileManager* fileManager = nullptr;
    ResourceManager* resourceManager = nullptr;
    TimeKeeper* timeKeeper = nullptr;
    Console* console = nullptr;
    PeriodTimer frameTimer;
    FontGDI* debugFont = nullptr;
    EventManager* eventManager = nullptr;
    Language* language = nullptr;
    MemoryIniFile* config = nullptr;

    bool bDebugLocked = true;
    int32_t debugLevel = 0;
    int32_t defaultLanguage = -1;
    bool bTickWhilePaused = false;
    double maxFrameDuration = 0.05;
    double fps = 0.0;
    double fpsUnthrottled = 0.0;
    bool bShutdown = false;
    bool bMultilanguage = false;
    int32_t singleLanguage = 0;
    bool bHoliday = false;
    int32_t ditherDepth = 0;
    double hardwareMouseScaling = 1.0;
    bool bWindowFocus = true;
    bool bRestartPresentation = false;
    int32_t frameCount = 0;
    int32_t frameStats[STAT_COUNT] = {};
    int32_t fpsHistory[512] = {};
    // The figures of the last timing line (debug level bit 1) in ms: tick,
    // console, render, hud, present, timerwait, misc.
    int32_t timingLineMs[7] = {};
    ObjectLink liveObjects{nullptr};
    double lastFrameTime = 0.0;
    double totalFrameWork = 0.0;
    Context* currentContext = nullptr;
    int32_t plimMode = MODE_OK;

private:
    void initFields();
    double readSettings(); // returns frameRate
    void readStaticSettings();
    void drawDebugLines();

    // Clock readings of the frame phases, kept for the next frame's timing line;
    // the previous running frame's render end pairs with its hud end.
    double stampMiscEnd = 0.0, stampWorkStart = 0.0, stampTickEnd = 0.0, stampConsoleEnd = 0.0,
           stampRenderEnd = 0.0, stampPreviousRenderEnd = 0.0, stampHudEnd = 0.0, stampPresentEnd = 0.0,
           stampWaitEnd = 0.0;
};

// The engine pointer: set by the constructor before any part exists, emptied by
// whoever deletes the engine.
extern Plim* PLIM;
