#include "MatchHarness.h"

#include "app/ContextManager.h"
#include "app/Loader.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"
#include "util/Random.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
// Frames of loading at most (one resource per frame).
const int LOAD_FRAMES = 1000;
} // namespace

MatchHarness::MatchHarness(const MatchSettings& chosen) : settings(chosen) {
    periodMs = uint32_t(std::lround(settings.frameRate * 1000.0));
    setenv("SDL_AUDIODRIVER", settings.audioDriver, 1);
    setenv("SDL_DISKAUDIOFILE", (folder.root + "/audio.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", std::to_string(settings.diskAudioDelayMs).c_str(), 1);
    EngineTestFolder::writeFile(folder.root + "/Corvana2demo.cfg.static",
                                "[Language]\nbMultilanguage=No\nsingleLanguage=0\n[Edition]\nbHoliday=No\n"
                                "[Graphics]\nditherDepth=0\n[Input]\nhardwareMouseScaling=1.0\n");
    folder.writeUserSettings(formatString("[Plim]\nframeRate=%.6f\n", settings.frameRate).c_str() +
                             settings.userSettings, settings.fullScreen);
    std::string archive = std::string(PLIM_TEST_BINARY_DIR) + "/Corvana2demo.dat";
    if (symlink(archive.c_str(), (folder.root + "/Corvana2demo.dat").c_str()) != 0) perror("symlink");

    Loader::stepsDone = 0;
    new Plim();
    app = new MatchGlobal();
    gGlobal = app;
    // The saved settings the loader applies at its end: a window of the
    // default view (or full screen), the run's frame rate and detail.
    SaveData& saved = app->saveData;
    saved.bFullScreenOption = settings.fullScreen ? 1 : 0;
    saved.videoMode = 1;
    saved.maxFps = int32_t(std::lround(1.0 / settings.frameRate));
    saved.graphicsDetail = settings.graphicsDetail;
    app->initPreLoader();
    setDrawing(settings.draw);
    Loader* loader = static_cast<Loader*>(app->contextManager->getTop());
    const int total = loader->total;
    for (int i = 0; i < LOAD_FRAMES && Loader::stepsDone < total; ++i) frameOverStack();
    if (Loader::stepsDone < total) fprintf(stderr, "MatchHarness: loading stopped at step %d of %d\n", Loader::stepsDone, total);
    // The start-up screens loading pushed are not part of a match.
    markEveryScreenDone();
    frameOverStack();
    frameOverStack();
    // Exactly the run's period from here on (maxFps is whole frames per second).
    PLIM->frameTimer.start(settings.frameRate);
    // Buttons and motion are tracked as under a grab, without grabbing: a
    // held grab would stall every other engine window on the X server (a
    // death test's child, say) in SDL_SetVideoMode.
    PLIM->input->setMouseGrab(false, 0.0f, 0.0f, 0.0f);
    PLIM->input->bMouseGrabbed = true;
}

MatchHarness::~MatchHarness() {
    SDL_PauseAudio(1);
    markEveryScreenDone();
    ContextManager* stack = app->contextManager;
    stack->tickContents(0.0, 0.0);
    // Screens created without delete-when-done stay; take them down too.
    while (Context* screen = stack->getTop()) {
        stack->removeChild(screen);
        screen->deleteMe();
    }
    delete app;
    gGlobal = nullptr;
    delete PLIM;
    PLIM = nullptr;
}

GameController* MatchHarness::start(const std::function<GameController*()>& make) {
    Random::seed(settings.seed);
    setDrawing(settings.draw);
    frame = 0;
    log.setFrame(0, nullptr);
    controller = make();
    app->currentController = controller;
    app->contextManager->push(controller);
    log.setFrame(0, controller);
    controller->onEnter();
    return controller;
}

void MatchHarness::setDrawing(bool on) {
    static const bool always = getenv("MATCH_HARNESS_DRAW") && atoi(getenv("MATCH_HARNESS_DRAW")) != 0;
    if (PLIM && PLIM->graphics) PLIM->graphics->bDrawPixels = on || always;
}

void MatchHarness::schedule(int at, const SDL_Event& event) { script.emplace(at, event); }

void MatchHarness::scheduleKey(int at, SDLKey key, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    schedule(at, event);
}

void MatchHarness::scheduleAction(int from, int to, int keySet, int action) {
    SDLKey key = sdlKeyOf(app->saveData.keys[action][keySet]);
    scheduleKey(from, key, true);
    scheduleKey(to, key, false);
}

SDLKey MatchHarness::sdlKeyOf(int code) {
    for (int sym = 1; sym < PlimInput::SDL_KEY_COUNT; ++sym)
        if (PLIM->input->sdlToKey[sym] == code) return SDLKey(sym);
    return SDLK_UNKNOWN;
}

void MatchHarness::scheduleMouseMotion(int at, int dx, int dy) {
    SDL_Event event = {};
    event.type = event.motion.type = SDL_MOUSEMOTION;
    event.motion.xrel = Sint16(dx);
    event.motion.yrel = Sint16(dy);
    schedule(at, event);
}

void MatchHarness::scheduleMouseButton(int at, int button, bool down) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.type = event.type;
    event.button.button = Uint8(button);
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    schedule(at, event);
}

void MatchHarness::step(uint32_t extraMs) {
    auto due = script.equal_range(frame);
    for (auto it = due.first; it != due.second; ++it) SDL_PushEvent(&it->second);
    script.erase(due.first, due.second);
    log.setFrame(frame, app->currentController);
    ticks.beginFrame(periodMs, extraMs);
    frameOverStack();
    ticks.deadline = 0;
    ++frame;
}

void MatchHarness::steps(int count) {
    for (int i = 0; i < count; ++i) step();
}

void MatchHarness::runSeconds(double seconds) { steps(int(std::lround(seconds * 1000.0 / double(periodMs)))); }

void MatchHarness::frameOverStack() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) PLIM->sdlOnEvent(&event);
    PLIM->frame(app->contextManager);
}

int MatchHarness::liveChildren(const BasicLink* node) {
    int count = 0;
    for (const BasicLink* child = node->firstChild; child; child = child->next)
        if (BasicLink::isLive(child)) ++count;
    return count;
}

std::array<int, GameController::LAYER_COUNT> MatchHarness::liveLayers() const {
    std::array<int, GameController::LAYER_COUNT> counts{};
    for (int i = 0; i < GameController::LAYER_COUNT; ++i) counts[i] = liveChildren(controller->layer(i));
    return counts;
}

void MatchHarness::markEveryScreenDone() {
    for (BasicLink* s = app->contextManager->firstChild; s; s = s->next)
        static_cast<Context*>(static_cast<PlimBase*>(s))->bDone = true;
}

void MatchHarness::finishMatch() {
    controller->bDone = true;
    step();
    controller = nullptr;
}

bool MatchHarness::matchOnTop() const { return controller && app->contextManager->getTop() == controller; }
