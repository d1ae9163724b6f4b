// The engine demo program end to end: 200 frames in a window (Xvfb), a clean
// exit, the whole start-up and shutdown in its log, and a fresh settings file
// holding every engine, input and graphics key.
#include "EngineTestFolder.h"
#include "IniText.h"
#include "LogText.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/wait.h>

namespace {

const std::string DEMO = std::string(PLIM_TEST_BINARY_DIR) + "/plim-demo";

// Under the sanitizers the demo's leak check is off: SDL unloads the OpenGL
// driver at exit, so the driver's own leftovers cannot be told apart from ours.
// The in-process start-up tests keep the check for the engine itself.
int runDemo(const std::string& arguments) {
    std::string command = "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" " + DEMO + " " +
                          arguments + " >demo.out 2>&1";
    int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PlimDemo, Runs200FramesAndShutsDownCleanly) {
    ASSERT_TRUE(EngineTestFolder::exists(DEMO)) << DEMO;
    EngineTestFolder folder;
    ASSERT_EQ(runDemo("--frames 200"), 0) << EngineTestFolder::readFile("demo.out");

    LogText log(EngineTestFolder::readFile(folder.logPath()));
    EXPECT_GE(log.find("Starting SDL..."), 0);
    EXPECT_GE(log.find("Plim(): Started."), 0);
    EXPECT_GE(log.findPrefix("~Plim(): Rendered 200 frames, avg="), 0);
    int at = log.find("~Plim(): Initiating shutdown...");
    for (int step = 1; step <= 14; ++step) {
        std::string line = "~Plim(): " + std::to_string(step) + "...";
        EXPECT_EQ(log.count(line), 1) << line;
        int next = log.find(line, at);
        EXPECT_GT(next, at) << line;
        at = next;
    }
    EXPECT_EQ(log.lines.back(), "~Plim(): Done. Clean exit.");

    // The demo wrote the static file and a windowed settings file; the engine
    // parts added the rest of their keys with their defaults.
    EXPECT_TRUE(EngineTestFolder::exists(folder.root + "/Corvana2demo.cfg.static"));
    IniText ini(EngineTestFolder::readFile(folder.userSettingsPath()));
    for (const char* key : {"warning", "debugLevel", "debugCode", "frameRate", "maxFrameDuration",
                            "defaultLanguage", "bTickWhilePaused"})
        EXPECT_TRUE(ini.has("Plim", key)) << key;
    for (const char* key : {"bTrackKeyboard", "bTrackMouse", "bTrackJoystick", "bSwapMouseButtons",
                            "joystickDeadZone", "repeatRate", "repeatDelay"})
        EXPECT_TRUE(ini.has("PlimInput", key)) << key;
    for (const char* key : {"fovWidth", "fovHeight", "screenWidth", "screenHeight", "bFullScreen",
                            "bEnableFontCache"})
        EXPECT_TRUE(ini.has("PlimGraphics", key)) << key;
    EXPECT_EQ(ini.get("PlimGraphics", "bFullScreen"), "No");
    EXPECT_EQ(ini.get("PlimInput", "joystickDeadZone"), "0.20000000");
}

TEST(PlimDemo, AMissingStaticKeyEndsItWith255AndLeavesTheSettings) {
    ASSERT_TRUE(EngineTestFolder::exists(DEMO)) << DEMO;
    EngineTestFolder folder;
    folder.writeStaticSettings("hardwareMouseScaling");
    folder.writeUserSettings();
    std::string before = EngineTestFolder::readFile(folder.userSettingsPath());
    EXPECT_EQ(runDemo("--frames 5"), 255);
    EXPECT_NE(EngineTestFolder::readFile("demo.out")
                  .find("*** ERROR *** Error: Key 'hardwareMouseScaling' could not be found in section 'Input'."),
              std::string::npos);
    EXPECT_EQ(EngineTestFolder::readFile(folder.userSettingsPath()), before);
}

} // namespace
