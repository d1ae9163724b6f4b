#include "Global.h"

#include "input/Console.h"
#include "screens/ContextAutoConfigure.h"
#include "screens/ContextErrorReport.h"
#include "ContextManager.h"
#include "screens/ContextPost.h"
#include "screens/ContextPre.h"
#include "screens/ContextZemtroviaLogo.h"
#include "core/ErrorManager.h"
#include "files/FileManager.h"
#include "files/MemoryIniFile.h"
#include "files/SaveBlob.h"
#include "files/SaveFailures.h"
#include "files/UserNotices.h"
#include "widgets/GUIthemeMinimal.h"
#include "widgets/GUIthemeStandard.h"
#include "Loader.h"
#include "core/Logger.h"
#include "util/Matrix.h"
#include "MenuClasses.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "core/PlimClasses.h"
#include "PlimFxClasses.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "util/PlimUtil.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "core/TimeKeeper.h"

#include <algorithm>

Global* gGlobal = nullptr;

namespace {

const int FREQUENCIES[3] = {11025, 22050, 44100};
const int MODE_WIDTHS[4] = {320, 640, 800, 1024};
const int MODE_HEIGHTS[4] = {240, 480, 600, 768};

// Settings from another build's block may lie outside the tables.
int clampIndex(int value, int count) { return std::min(std::max(value, 0), count - 1); }

// The most the saves can take on the disk together.
int64_t savesSize() {
    int64_t bytes = SaveBlob::largestFile(SaveData::SIZE) + SaveBlob::largestFile(PlayerProfiles::SIZE);
    if (PLIM->config) bytes += int64_t(PLIM->config->toText().length());
    return bytes;
}

} // namespace

Global::Global() {}

Global::~Global() {
    // Screens still open when the program ends by its window or a signal go
    // first, while everything they use still stands.
    if (contextManager) contextManager->closeAll();
    delete contextPre;
    contextPre = nullptr;
    delete contextPost;
    contextPost = nullptr;
    delete themeStandard;
    themeStandard = nullptr;
    delete themeMinimal;
    themeMinimal = nullptr;
    delete contextManager;
    contextManager = nullptr;
    if (resourceHolder) {
        resourceHolder->deleteMe();
        resourceHolder = nullptr;
    }
    // saveData, a member, is written when it is destroyed after this body.
}

UString Global::getArchiveName() { return UString("./") + PLIM_BUILD_NAME + ".dat"; }

void Global::initPreLoader() {
    registerPlimFxClasses();
    registerMenuClasses();
    RuntimeClassManager* m = RuntimeClassManager::getInstance();
    m->buildIndex();
    if (m->bBadClasses)
        ErrorManager::assertionFailed("Assertion failed.", "!m->bBadClasses", "initPreLoader", __FILE__, __LINE__);
    // Every layer registers its classes explicitly; a record missing from a list
    // (or a layer not registered) shows here rather than at the first replication.
    const int expectedClasses = PLIM_CLASS_COUNT + PLIMFX_CLASS_COUNT + MENU_CLASS_COUNT;
    if (m->getNumClasses() != expectedClasses)
        ErrorManager::assertionFailed(formatString("%d class records registered, %d expected.", m->getNumClasses(),
                                                   expectedClasses).c_str(),
                                      "m->getNumClasses()==expectedClasses", "initPreLoader", __FILE__, __LINE__);
    if (!PLIM->bDebugLocked && PLIM->console)
        for (RuntimeClass* record : m->classArray) PLIM->console->print("%s", record->describe().c_str());

    resourceHolder = new PlimBase();
    PLIM->fileManager->useWad(getArchiveName());

    Loader::preload();

    // The stack's pointer needs "mousePointer"; the loader's bar needs the progress bar.
    contextManager = new ContextManager();
    contextManager->push(new Loader());
}

void Global::openLink(const UString& url) {
    urlToOpen = url;
    logTagged("openLink", "Opening '%s'.", url.c_str());
    if (linkOpener.start(url) == LinkOpener::FAILED) answerLink(LinkOpener::FAILED);
}

void Global::followLink() { answerLink(linkOpener.poll()); }

void Global::answerLink(LinkOpener::State state) {
    if (state == LinkOpener::OPENED) {
        logTagged("followLink", "Opened '%s': the game ends.", linkOpener.url.c_str());
        if (contextManager) contextManager->quitByPlayer();
    } else if (state == LinkOpener::FAILED) {
        const UString notice = formatString("Could not open '%s': %s. Open it in your browser yourself.",
                                            linkOpener.url.c_str(), linkOpener.problem.c_str());
        logTagged("followLink", "%s", notice.c_str());
        UserNotices::say(notice);
        UserNotices::post(notice);
    }
}

void Global::initPostLoader() {
    // Told in this frame's dialog: saves that failed as the last game ended,
    // and those that will fail (a read-only file, a folder that takes no file,
    // a disk without room for them).
    SaveFailures::tellKept(getUserDataFolder(true));
    const int64_t room = savesSize();
    if (PLIM->config) SaveFailures::foresee(PLIM->config->fileName, room);
    SaveFailures::foresee(SaveData::getFolder() + "/" + SaveData::getFileName(), room);
    SaveFailures::foresee(PlayerProfiles::getFolder() + "/" + PlayerProfiles::getFileName(), room);
    themeStandard = new GUIthemeStandard();
    themeMinimal = new GUIthemeMinimal();
    contextPre = new ContextPre();
    contextPost = new ContextPost();
    pushFirstContexts();
    contextManager->push(new ContextZemtroviaLogo());
    if (ContextErrorReport::hasCrashLog()) contextManager->push(new ContextErrorReport());
    contextManager->push(new ContextAutoConfigure());
    double t = PLIM->timeKeeper ? PLIM->timeKeeper->getTime() : 0.0;
    logTagged("initPostLoader", "Global initialization complete at t=%.3lf sec.", t);
}

void Global::writeSaves() {
    profiles.save();
    saveData.save();
    PLIM->saveConfig();
}

void Global::applySettings() {
    int fps = saveData.maxFps > 0 ? saveData.maxFps : 100;
    PLIM->frameTimer.start(1.0 / double(fps));

    if (PLIM->audio) {
        PLIM->audio->frequency = FREQUENCIES[clampIndex(saveData.audioQuality, 3)];
        PLIM->audio->setEffectsVolume(float(saveData.soundVolume) / 24.0f);
        PLIM->audio->setMusicVolume(float(saveData.musicVolume) / 24.0f);
    }

    PlimGraphics* graphics = PLIM->graphics;
    if (graphics) {
        int mode = clampIndex(saveData.videoMode, 4);
        graphics->changePresentationParameters(MODE_WIDTHS[mode], MODE_HEIGHTS[mode], saveData.bFullScreenOption != 0,
                                               saveData.bBilinearFilter != 0, saveData.bVSync != 0);
        graphics->bTextShadows = !graphics->bBrokenAlphaOp && saveData.graphicsDetail > 0;
    }

    if (PLIM->input) PLIM->input->mouseSpeed = double(0.5f + 0.25f * float(saveData.mouseSensitivity));
}

V3 Global::lonLatToPoint(float longitude, float latitude) {
    return rotateXY(V3(0.0f, 0.0f, -1.0f), -longitude, latitude);
}
