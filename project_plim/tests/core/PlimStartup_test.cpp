// The engine's start-up and orderly shutdown: log lines, the settings file,
// and the debug lock. Runs the real engine in a window (Xvfb).
#include "EngineTestFolder.h"
#include "IniText.h"
#include "LogText.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "core/PlimBase.h"
#include "render/PlimGraphics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <sys/stat.h>

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { folder.writeStaticSettings(); }
    void runEngine(int frames = 0) {
        new Plim();
        for (int i = 0; i < frames; ++i) PLIM->frame(nullptr);
    }
    void stopEngine() {
        delete PLIM;
        PLIM = nullptr;
    }
    LogText log() { return LogText(EngineTestFolder::readFile(folder.logPath())); }
    IniText settings() { return IniText(EngineTestFolder::readFile(folder.userSettingsPath())); }

    EngineTestFolder folder;
    ManualTickSource ticks;
};

TEST_F(StartupTest, LogsTheStartUpInOrder) {
    folder.writeUserSettings();
    runEngine();
    stopEngine();
    LogText lines = log();
    int version = lines.findPrefix("Version: PlimXX build ");
    int linked = lines.findPrefix("Using SDL linked version: 1.2.");
    int compiled = lines.findPrefix("Using SDL compiled version: 1.2.");
    int sdl = lines.find("Starting SDL...");
    int ok = lines.find("Ok.", sdl);
    int errors = lines.find("ErrorManager(): Starting...", ok);
    int clock = lines.find("TimeKeeper(): Started.", errors);
    int registry = lines.find("ResourceManager(): Starting...", clock);
    int console = lines.find("Console(): Starting console...", registry);
    int network = lines.find("PlimNetwork(): Starting...", console);
    int started = lines.find("Plim(): Started.", network);
    EXPECT_GE(version, 0);
    EXPECT_GT(linked, version);
    EXPECT_GT(compiled, linked);
    EXPECT_GT(sdl, compiled);
    EXPECT_GT(ok, sdl);
    EXPECT_GT(errors, ok);
    EXPECT_GT(clock, errors);
    EXPECT_GT(registry, clock);
    EXPECT_GT(console, registry);
    EXPECT_GT(network, console);
    EXPECT_EQ(lines.lines[size_t(network + 1)], "PlimNetwork(): Done.");
    EXPECT_GT(started, network);
}

TEST_F(StartupTest, ShutdownStepsRunOnceInOrderAndTheLogEndsClean) {
    folder.writeUserSettings();
    runEngine();
    stopEngine();
    LogText lines = log();
    int at = lines.find("~Plim(): Initiating shutdown...");
    ASSERT_GE(at, 0);
    for (int step = 1; step <= 14; ++step) {
        std::string line = "~Plim(): " + std::to_string(step) + "...";
        EXPECT_EQ(lines.count(line), 1) << line;
        int next = lines.find(line, at);
        EXPECT_GT(next, at) << line;
        at = next;
    }
    int network = lines.find("~Plim(): 2...");
    EXPECT_EQ(lines.lines[size_t(network + 1)], "~PlimNetwork(): Cleaning up...");
    EXPECT_EQ(lines.lines[size_t(network + 2)], "~PlimNetwork(): Done.");
    EXPECT_EQ(lines.lines.back(), "~Plim(): Done. Clean exit.");
    // No running frame, debug functions locked: neither summary nor leak list.
    EXPECT_EQ(lines.findPrefix("~Plim(): Rendered"), -1);
    EXPECT_EQ(lines.find("~Plim(): Objects still allocated (memory leaks?):"), -1);
}

TEST_F(StartupTest, AFreshSettingsFileGainsEveryEngineKey) {
    folder.writeUserSettings(); // only the window and joystick keys
    runEngine();
    EXPECT_TRUE(PLIM->bDebugLocked);
    EXPECT_EQ(PLIM->frameTimer.period, 0.015);
    stopEngine();
    IniText ini = settings();
    EXPECT_EQ(ini.get("Plim", "warning"), "Do NOT modify this file unless you are explicitly instructed to do so!");
    EXPECT_EQ(ini.get("Plim", "debugLevel"), "0");
    EXPECT_EQ(ini.get("Plim", "debugCode"), "1");
    EXPECT_EQ(ini.get("Plim", "frameRate"), "0.01500000");
    EXPECT_EQ(ini.get("Plim", "maxFrameDuration"), "0.05000000");
    EXPECT_EQ(ini.get("Plim", "defaultLanguage"), "-1");
    EXPECT_EQ(ini.get("Plim", "bTickWhilePaused"), "No");
    EXPECT_EQ(ini.sections.at("Plim").size(), 7u);
    EXPECT_EQ(ini.get("PlimGraphics", "bFullScreen"), "No");
    EXPECT_EQ(ini.get("PlimInput", "bTrackJoystick"), "No");
}

TEST_F(StartupTest, SettingsFromTheFileWinAndDefaultLanguageIsWrittenBack) {
    folder.writeUserSettings("[Plim]\nframeRate=0.02\nmaxFrameDuration=0.1\nbTickWhilePaused=Yes\n");
    runEngine();
    EXPECT_EQ(PLIM->frameTimer.period, 0.02);
    EXPECT_EQ(PLIM->maxFrameDuration, 0.1);
    EXPECT_TRUE(PLIM->bTickWhilePaused);
    EXPECT_EQ(PLIM->defaultLanguage, -1);
    PLIM->defaultLanguage = 2;
    stopEngine();
    IniText ini = settings();
    EXPECT_EQ(ini.get("Plim", "defaultLanguage"), "2");
    EXPECT_EQ(ini.get("Plim", "frameRate"), "0.02");
}

// Values that would hang the frame timer or overflow the view and audio
// arithmetic fall back to their defaults with a log line; the file keeps them.
TEST_F(StartupTest, SettingsThatCouldHangOrOverflowFallBackToTheirDefaults) {
    folder.writeUserSettings("[Plim]\nframeRate=2147483647\nmaxFrameDuration=-1\n[PlimGraphics]\nfovWidth=0\n"
                             "fovHeight=99999999\n[PlimAudio]\nfrequency=2147483647\n");
    runEngine();
    EXPECT_EQ(PLIM->frameTimer.period, 0.015);
    EXPECT_EQ(PLIM->maxFrameDuration, 0.05);
    EXPECT_EQ(PLIM->graphics->fovWidth, 640);
    EXPECT_EQ(PLIM->graphics->fovHeight, 480);
    EXPECT_EQ(PLIM->audio->frequency, 22050);
    stopEngine();
    LogText lines = log();
    EXPECT_EQ(1, lines.count("readSetting(): Setting frameRate=2147483647 of [Plim] is out of range (0 to 1); using 0.015."));
    EXPECT_EQ(1, lines.count("readSetting(): Setting maxFrameDuration=-1 of [Plim] is out of range (0.001 to 1); using 0.05."));
    EXPECT_EQ(1, lines.count("readSetting(): Setting fovWidth=0 of [PlimGraphics] is out of range (16 to 16384); using 640."));
    EXPECT_EQ(1, lines.count("readSetting(): Setting frequency=2147483647 of [PlimAudio] is out of range (4000 to 192000); using 22050."));
    IniText ini = settings();
    EXPECT_EQ(ini.get("Plim", "frameRate"), "2147483647");
    EXPECT_EQ(ini.get("PlimGraphics", "fovHeight"), "99999999");
    EXPECT_EQ(ini.get("PlimAudio", "frequency"), "2147483647");
}

// A settings file that is there but cannot be read is left where it is, never saved over.
TEST_F(StartupTest, AnUnreadableSettingsFileIsLeftInPlace) {
    folder.writeUserSettings();
    const std::string cfg = folder.userSettingsPath();
    ASSERT_EQ(0, rename(cfg.c_str(), (cfg + ".tmp").c_str()));
    ASSERT_EQ(0, mkdir(cfg.c_str(), 0755)); // unreadable as a file even for root
    ASSERT_EQ(0, rename((cfg + ".tmp").c_str(), (cfg + "/inside").c_str()));
    runEngine();
    stopEngine();
    EXPECT_NE(EngineTestFolder::readFile(cfg + "/inside").find("bFullScreen=No"), std::string::npos);
    EXPECT_FALSE(EngineTestFolder::exists(cfg + ".bad"));
    EXPECT_EQ(1, log().count("keepRefusedFile(): File '" + cfg + "' cannot be read (Is a directory); it is left as it is and not saved over."));
    EXPECT_EQ(1, log().count("save(): Not saving '" + cfg + "': the file there cannot be read and is kept."));
}

TEST_F(StartupTest, TheAccessCodeUnlocksDebugFunctionsAndTheLeakList) {
    folder.writeUserSettings("[Plim]\ndebugCode=31846\ndebugLevel=3\n");
    runEngine(3);
    EXPECT_FALSE(PLIM->bDebugLocked);
    EXPECT_EQ(PLIM->debugLevel, 3);
    // The timing line's last four figures are the frame before's: its hud and
    // present took no clock time, its wait the whole frame period.
    EXPECT_EQ(PLIM->timingLineMs[3], 0);
    EXPECT_EQ(PLIM->timingLineMs[4], 0);
    EXPECT_GT(PLIM->timingLineMs[5], 0);
    EXPECT_EQ(PLIM->timingLineMs[6], 0);
    // An object nobody deletes: built in static storage so it outlives the engine.
    alignas(PlimBase) static unsigned char storage[sizeof(PlimBase)];
    new (storage) PlimBase();
    stopEngine();
    LogText lines = log();
    EXPECT_GE(lines.findPrefix("~Plim(): Rendered 3 frames, avg="), 0);
    int header = lines.find("~Plim(): Objects still allocated (memory leaks?):");
    ASSERT_GE(header, 0);
    EXPECT_GT(lines.find("~Plim(): PlimBase", header), header);
    int network = lines.find("~Plim(): 2...");
    EXPECT_EQ(lines.lines[size_t(network + 1)], "~PlimNetwork(): Cleaning up...");
    EXPECT_EQ(lines.lines[size_t(network + 2)], "~PlimNetwork(): Done.");
    EXPECT_EQ(lines.lines.back(), "~Plim(): Done. Clean exit.");
}

TEST_F(StartupTest, AnyOtherCodeLocksTheDebugLevelButKeepsItInTheFile) {
    folder.writeUserSettings("[Plim]\ndebugCode=31845\ndebugLevel=3\n");
    runEngine();
    EXPECT_TRUE(PLIM->bDebugLocked);
    EXPECT_EQ(PLIM->debugLevel, 0);
    stopEngine();
    EXPECT_EQ(settings().get("Plim", "debugLevel"), "3");
}

} // namespace
