#include "Plim.h"

#include "input/Console.h"
#include "Context.h"
#include "util/DateTime.h"
#include "ErrorManager.h"
#include "input/EventManager.h"
#include "files/FileManager.h"
#include "render/FontGDI.h"
#include "language/Language.h"
#include "Logger.h"
#include "files/MemoryIniFile.h"
#include "audio/Mixer.h"
#include "audio/PlimAudio.h"
#include "render/PlimGraphics.h"
#include "PlimClasses.h"
#include "input/PlimInput.h"
#include "net/PlimNetwork.h"
#include "util/PlimUtil.h"
#include "util/Random.h"
#include "ResourceManager.h"
#include "StaticSettings.h"
#include "RuntimeClass.h"
#include "TimeKeeper.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>

Plim* PLIM = nullptr;

RuntimeClass Plim::runtimeClass("Plim", &Plim::runtimeClass, nullptr);

namespace {
// Access value of the [Plim] key debugCode that unlocks the debug functions.
const int DEBUG_ACCESS_CODE = 31846;
const uint32_t DEBUG_CLEAR_RED = 0xff0000ff;
const double MIN_FRAME_PERIOD = 0.00001;
// A longer frame period (seconds) would leave the program deaf to its events.
const double MAX_FRAME_PERIOD = 1.0;
// Contexts tick at most this long per frame (maxFrameDuration): zero or less
// would stop every clock, and the world would never move.
const double MIN_TICK_DURATION = 0.001;

void logPlain(const UString& line) {
    if (PLIM->log) PLIM->log->print("%s", line.c_str());
}

// One numbered step of the shutdown: logs it, deletes the part, clears the pointer.
template <class T>
void shutDownPart(int step, T*& part) {
    logTagged("~Plim", "%d...", step);
    delete part;
    part = nullptr;
}
} // namespace

void Plim::initFields() {
    PLIM = this;
    registerPlimClasses();
}

Plim::Plim(Bare) { initFields(); }

RuntimeClass* Plim::getClass() { return &runtimeClass; }

Plim::Plim() {
    initFields();
    keepFreedMemory();
    srand(getTicks());
    Random::seed(getTicks());

    log = new Logger();
    logPlain("Plim engine -- Zemtrovia in-house game engine");
    logPlain(formatString("Version: PlimXX build %s %s", __TIME__, __DATE__));
    const SDL_version* linked = SDL_Linked_Version();
    logPlain(formatString("Using SDL linked version: %d.%d.%d", linked->major, linked->minor, linked->patch));
    logPlain(formatString("Using SDL compiled version: %d.%d.%d", SDL_MAJOR_VERSION, SDL_MINOR_VERSION,
                          SDL_PATCHLEVEL));
    logPlain("Starting SDL...");

    static char windowClass[] = "SDL_VIDEO_X11_WMCLASS=zemtrovia";
    putenv(windowClass);
    // SDL's fallbacks (a text-mode driver on the terminal) cannot show the
    // game; a driver set to nothing counts as none asked for.
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (!driver || !*driver) setenv("SDL_VIDEODRIVER", "x11", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        ErrorManager::cannotStart("%s cannot start SDL's video: %s.", PLIM_BUILD_NAME, SDL_GetError());
    logPlain("Ok.");

    errorManager = new ErrorManager();
    timeKeeper = new TimeKeeper();

    // The settings file always comes from the disk, never from an archive.
    fileManager = new FileManager();
    // One that cannot be read stays where it is, one that is not settings
    // text is set aside; neither is ever saved over.
    fileManager->bForceDisk = true;
    const UString configPath = getUserDataFolder(true) + PLIM_BUILD_NAME + ".cfg";
    UString why;
    if (FileManager::pathExistsOnDisk(configPath)) {
        why = FileManager::whyUnreadable(configPath);
        if (why.isEmpty()) why = MemoryIniFile::whyDamaged(configPath);
        if (!why.isEmpty()) FileManager::keepRefusedFile(configPath, why);
    }
    config = new MemoryIniFile(configPath, why.isEmpty());
    fileManager->bForceDisk = false;

    double frameRate = readSettings();

    resourceManager = new ResourceManager();
    eventManager = new EventManager();
    input = new PlimInput();
    graphics = new PlimGraphics();
    input->resetMouse();
    audio = new PlimAudio();
    debugFont = new FontGDI();
    console = new Console();
    network = new PlimNetwork();
    language = new Language();

    frameTimer.start(frameRate);

    readStaticSettings();

    logTagged("Plim", "Started.");
}

double Plim::readSettings() {
    MemoryIniFile* ini = config;
    const UString section = getClass()->name;

    UString warning = "Do NOT modify this file unless you are explicitly instructed to do so!";
    ini->readSetting(section, "warning", warning);
    ini->readSetting(section, "debugLevel", debugLevel);

    int debugCode = 1;
    ini->readSetting(section, "debugCode", debugCode);
    bDebugLocked = debugCode != DEBUG_ACCESS_CODE;
    if (bDebugLocked) debugLevel = 0;

    double frameRate = 0.015;
    ini->readSetting(section, "frameRate", frameRate, 0.0, MAX_FRAME_PERIOD);
    ini->readSetting(section, "maxFrameDuration", maxFrameDuration, MIN_TICK_DURATION, MAX_FRAME_PERIOD);
    ini->readSetting(section, "defaultLanguage", defaultLanguage);
    ini->readSetting(section, "bTickWhilePaused", bTickWhilePaused);

    return frameRate;
}

void Plim::readStaticSettings() {
    fileManager->bForceDisk = true;
    UString path = UString("./") + PLIM_BUILD_NAME + ".cfg.static";
    fileManager->verifyFile(path);
    MemoryIniFile staticFile(path);
    StaticSettings values;
    values.read(staticFile);
    bMultilanguage = values.bMultilanguage;
    singleLanguage = values.singleLanguage;
    bHoliday = values.bHoliday;
    ditherDepth = values.ditherDepth;
    hardwareMouseScaling = values.hardwareMouseScaling;
    fileManager->bForceDisk = false;
}

bool Plim::saveConfig() {
    if (!config) return false;
    config->setInt(getClass()->name, "defaultLanguage", defaultLanguage);
    return config->save();
}

Plim::~Plim() {
    const char* tag = "~Plim";
    logTagged(tag, "Initiating shutdown...");
    bShutdown = true;
    if (frameCount > 0)
        logTagged(tag, "Rendered %d frames, avg=%.1lfms.", frameCount,
                  1000.0 * totalFrameWork / frameCount);

    shutDownPart(1, language);
    shutDownPart(2, network);
    shutDownPart(3, console);
    shutDownPart(4, debugFont);
    shutDownPart(5, audio);
    shutDownPart(6, graphics);
    shutDownPart(7, input);
    shutDownPart(8, eventManager);
    shutDownPart(9, resourceManager);
    logTagged(tag, "10...");
    if (config) {
        saveConfig();
        delete config;
        config = nullptr;
    }
    shutDownPart(11, fileManager);
    shutDownPart(12, timeKeeper);
    shutDownPart(13, errorManager);
    logTagged(tag, "14...");
    SDL_Quit();

    if (!bDebugLocked) {
        logTagged(tag, "Objects still allocated (memory leaks?):");
        for (BasicLink *entry = liveObjects.firstChild, *next; entry; entry = next) {
            next = entry->next;
            if (entry->bDestroyPending || entry->bSkip) continue;
            PlimBase* object = static_cast<ObjectLink*>(entry)->object;
            logTagged(tag, "%s", object->getClass()->name.c_str());
        }
    }
    logTagged(tag, "Done. Clean exit.");
    delete log;
    log = nullptr;
}

double Plim::getTime() const { return frameTimer.startTime; }

double Plim::getDeltaTime() const {
    double dt = frameTimer.startTime - frameTimer.previousStart;
    if (!bDebugLocked && input) {
        if (input->isKeyDown(KEY_F11))
            dt *= 5.0;
        else if (input->isKeyDown(KEY_F10))
            dt /= 10.0;
    }
    return dt;
}

void Plim::frame(Context* root) {
    bool running = false;
    switch (plimMode) {
    case MODE_INACTIVE:
        if (bWindowFocus) {
            changePLIMmode(MODE_OK);
            return;
        }
        if (!bTickWhilePaused) delayMilliseconds(500);
        running = bTickWhilePaused;
        break;
    case MODE_OK:
        if (!bWindowFocus) {
            changePLIMmode(MODE_INACTIVE);
            return;
        }
        running = true;
        break;
    case MODE_RESTORE:
        if (!graphics || graphics->restorePresentation()) {
            if (graphics) graphics->setGlobalRenderState();
            changePLIMmode(MODE_INACTIVE);
        } else {
            logTagged("frame", "restorePresentation() failed. Aborting...");
            delayMilliseconds(500);
        }
        return;
    default:
        break;
    }

    for (int32_t& stat : frameStats) stat = 0;

    if (running) {
        ++frameCount;
        if (input) input->update();
        if (audio) audio->tick();
        stampMiscEnd = timeKeeper->getTime();
        stampWorkStart = timeKeeper->getTime();
        if (lastFrameTime == 0.0) lastFrameTime = stampWorkStart;
        if (root) {
            root->tickContext(0.0, 0.0);
            if (eventManager) eventManager->update(root);
            stampTickEnd = timeKeeper->getTime();
        }
        if (console) {
            console->tick(0.0, 0.0);
            stampConsoleEnd = timeKeeper->getTime();
        }
    }

    // With the debug functions on, red shows wherever no context drew.
    if (!bDebugLocked && graphics) graphics->clear(UColor(DEBUG_CLEAR_RED));
    if (root) root->renderContext();

    if (running) {
        stampPreviousRenderEnd = stampRenderEnd;
        stampRenderEnd = timeKeeper->getTime();
        if (input && graphics && input->isKeyPressed(KEY_F9)) {
            double t = timeKeeper->getTime();
            graphics->saveScreenshot(formatString("%s%s %s %.3lf.%s", getUserDataFolder(true).c_str(),
                                                  PLIM_BUILD_NAME, dateTimeString(DateTime()).c_str(), t,
                                                  "jpg"));
        }
        if (console) console->render();

        double period = stampRenderEnd - lastFrameTime;
        double work = stampRenderEnd - stampWorkStart;
        lastFrameTime = stampRenderEnd;
        totalFrameWork += work;
        fps = 1.0 / (period >= MIN_FRAME_PERIOD ? period : MIN_FRAME_PERIOD);
        fpsUnthrottled = 1.0 / (work >= MIN_FRAME_PERIOD ? work : MIN_FRAME_PERIOD);
        fpsHistory[frameCount % 512] = (int32_t)fpsUnthrottled;

        drawDebugLines();
        stampHudEnd = timeKeeper->getTime();
    }

    if (graphics) graphics->present();

    if (running) {
        stampPresentEnd = timeKeeper->getTime();
        frameTimer.wait();
        stampWaitEnd = timeKeeper->getTime();
    }

    if (log) log->flushStale();

    // A restart asked for while inactive or restoring waits for MODE_OK.
    if (bRestartPresentation && plimMode == MODE_OK) {
        changePLIMmode(MODE_RESTORE);
        bRestartPresentation = false;
    }
}

void Plim::drawDebugLines() {
    FontGDI* font = debugFont;
    if (!font) return;
    if (debugLevel & 1)
        font->print(0, 0, "frame: fps=%.1lf(forced=%.1lf), avg=%.1lfms, accuracy=%.1lfms, audio=%.2lf%%",
                    fpsUnthrottled, fps, 1000.0 * totalFrameWork / frameCount, 1000.0 * frameTimer.lateness,
                    0.0);
    if (debugLevel & 2) {
        auto ms = [](double seconds) { return (int)(seconds * 1000.0); };
        font->print(0, 10, "global clock: %.3lf , delta %.3lf", getTime(), getDeltaTime());
        const int32_t figures[7] = {ms(stampTickEnd - stampWorkStart),       ms(stampConsoleEnd - stampTickEnd),
                                    ms(stampRenderEnd - stampConsoleEnd),     ms(stampHudEnd - stampPreviousRenderEnd),
                                    ms(stampPresentEnd - stampHudEnd),        ms(stampWaitEnd - stampPresentEnd),
                                    ms(stampMiscEnd - stampWaitEnd)};
        std::copy(figures, figures + 7, timingLineMs);
        font->print(0, 20,
                    "tick(%2dms), console(%2dms), render(%2dms), hud(%2dms), present(%2dms), timerwait(%2dms), "
                    "misc(%2dms)",
                    figures[0], figures[1], figures[2], figures[3], figures[4], figures[5], figures[6]);
        int audioChannels = audio && !audio->bMute && audio->mixer ? (int)audio->mixer->getNumChildren() : 0;
        font->print(0, 30,
                    "%d/%d renderables, %d vertices, %d vbuffer writes, %d update visuals, %d invXforms, %d "
                    "collisions, %d audio channels",
                    frameStats[STAT_RENDERABLES_DRAWN], frameStats[STAT_RENDERABLES], frameStats[STAT_VERTICES],
                    frameStats[STAT_VERTEX_BUFFER_WRITES], frameStats[STAT_VISUAL_UPDATES],
                    frameStats[STAT_INVERSE_TRANSFORMS], frameStats[STAT_COLLISIONS], audioChannels);
        font->print(0, 40, "%d textures used (%dKpixels) ", frameStats[STAT_TEXTURES_USED],
                    frameStats[STAT_TEXTURE_PIXELS] / 1024);
        if (input)
            font->print(0, 50, "mouse: %lf,%lf,%lf", (double)input->mousePosition[0],
                        (double)input->mousePosition[1], (double)input->mousePosition[2]);
    }
}

void Plim::changePLIMmode(int newMode) {
    const char* tag = "changePLIMmode";
    double t = timeKeeper ? timeKeeper->getTime() : 0.0;
    logTagged(tag, "Change request from %d to %d (t=%.3lf).", plimMode, newMode, t);
    if (bShutdown) {
        logTagged(tag, "Shutdown in progress -- ignoring.");
        return;
    }
    while (plimMode != newMode) {
        int oldMode = plimMode;
        plimMode = newMode > oldMode ? oldMode + 1 : oldMode - 1;
        logTagged(tag, "Changing mode from %d to %d.", oldMode, plimMode);
        if (audio) audio->onModeChange(oldMode, plimMode);
        logTagged(tag, "Notifying %d objects.", (int)liveObjects.getNumChildren());
        for (BasicLink *entry = liveObjects.firstChild, *next; entry; entry = next) {
            next = entry->next;
            if (entry->bDestroyPending || entry->bSkip) continue;
            static_cast<ObjectLink*>(entry)->object->onPLIMmodeChange(oldMode, plimMode);
        }
    }
    logTagged(tag, "Mode change complete.");
}

void Plim::sdlOnEvent(SDL_Event* event) {
    if (event->type == SDL_ACTIVEEVENT) {
        UString state;
        if (event->active.state & SDL_APPMOUSEFOCUS) state += "SDL_APPMOUSEFOCUS ";
        if (event->active.state & SDL_APPINPUTFOCUS) state += "SDL_APPINPUTFOCUS ";
        if (event->active.state & SDL_APPACTIVE) state += "SDL_APPACTIVE ";
        logTagged("sdlOnEvent", "SDL_ACTIVEEVENT: gain=%d, state=%s", (int)event->active.gain, state.c_str());
    }
    if (input) input->onSdlEvent(*event);
}
