#pragma once
// A match run for tests, benchmarks and matchsim: the real engine with its
// window (under Xvfb), the real loader over the game's data archive, SDL's
// dummy or disk audio, a throw-away user folder, and a manual clock that gives
// every frame the settings' frameRate as its delta time. Each step is one real
// Plim::frame over the screen stack, so the render pass works out visibility,
// collisions and off-screen removal as in the game. Random is seeded before
// the world is built; scripted input (frame, SDL event) goes through SDL's own
// queue; the event log records sounds, messages and state changes.
#include "EngineTestFolder.h"
#include "MatchEventLog.h"
#include "MatchTickSource.h"
#include "app/MyGlobal.h"
#include "modes/GameController.h"

#include <SDL.h>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

struct MatchSettings {
    uint32_t seed = 7;
    int32_t graphicsDetail = 1;
    double frameRate = 0.01; // seconds per frame: every frame's delta time
    const char* audioDriver = "dummy"; // or "disk": output in <folder>/audio.raw
    int diskAudioDelayMs = 2;          // the disk driver's wait before each buffer
    std::string userSettings;          // more lines of the user settings file
    // Frames go through the whole render pass (visibility, collisions,
    // off-screen removal) either way; only with draw on do they reach the
    // window's pixels. Runs that read pixels turn it on (or setDrawing) for
    // the frames they read. MATCH_HARNESS_DRAW=1 in the environment draws
    // every frame (to compare the cost, or to watch a run).
    bool draw = false;
    bool fullScreen = false; // at the display's mode, else a window of the view
};

// The application object of a run: no screens of its own.
class MatchGlobal : public MyGlobal {
public:
    void pushFirstContexts() override {}
};

class MatchHarness {
public:
    // Starts the engine and loads every resource; no match yet.
    explicit MatchHarness(const MatchSettings& settings = MatchSettings());
    // Takes down the screens, the application object and the engine.
    ~MatchHarness();
    MatchHarness(const MatchHarness&) = delete;
    MatchHarness& operator=(const MatchHarness&) = delete;

    // Seeds Random, builds the match with make, makes it the current match,
    // pushes it and calls onEnter, as a game-type page does.
    GameController* start(const std::function<GameController*()>& make);

    // Scripted input, queued in SDL just before the frame runs (frame numbers
    // count the frames run since start, from 0).
    void schedule(int frame, const SDL_Event& event);
    void scheduleKey(int frame, SDLKey key, bool down);
    // The key of a key set's action (the saved bindings), down over frames
    // [from, to).
    void scheduleAction(int from, int to, int keySet, int action);
    // Relative motion in window pixels (y down), as a grabbed pointer reports it.
    void scheduleMouseMotion(int frame, int dx, int dy);
    void scheduleMouseButton(int frame, int button, bool down);

    // Whether the next frames reach the window's pixels (see MatchSettings::draw).
    static void setDrawing(bool on);

    // One engine frame; extraMs of work before it make a longer frame.
    void step(uint32_t extraMs = 0);
    void steps(int count);
    // Frames until the run has lasted seconds more (whole frames).
    void runSeconds(double seconds);

    // The SDL key of an engine key code; SDLK_UNKNOWN when none maps to it.
    static SDLKey sdlKeyOf(int code);
    // Children of a node that neither wait for deletion nor are skipped.
    static int liveChildren(const BasicLink* node);
    // The live children of each layer of the match, in layer order.
    std::array<int, GameController::LAYER_COUNT> liveLayers() const;

    // Marks the match done and runs one frame, in which the screen stack
    // takes it off (and deletes it).
    void finishMatch();
    // Marks every screen on the stack done: its next tick takes them off.
    void markEveryScreenDone();
    // The top screen is still the match (Escape or a mode's end pops it).
    bool matchOnTop() const;

    MatchSettings settings;
    EngineTestFolder folder;
    MatchTickSource ticks;
    MatchGlobal* app = nullptr;
    GameController* controller = nullptr; // owned by the screen stack
    MatchEventLog log;
    int frame = 0;          // frames run since start
    uint32_t periodMs = 10; // frameRate in milliseconds

private:
    void frameOverStack();

    std::multimap<int, SDL_Event> script;
};
