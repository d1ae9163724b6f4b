// Start-up needs the static settings file with every key: without it the
// engine ends through the fatal path and leaves the user settings untouched.
#include "EngineTestFolder.h"
#include "ManualTickSource.h"
#include "core/Plim.h"

#include <gtest/gtest.h>

namespace {

const char* const USER_SETTINGS = "[PlimGraphics]\nbFullScreen=No\n[PlimInput]\nbTrackJoystick=No\n[Plim]\ndebugLevel=0\n";

class StaticSettingsDeathTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.writeUserSettings();
        EngineTestFolder::writeFile(folder.userSettingsPath(), USER_SETTINGS);
    }
    void startEngine() {
        EngineTestFolder::routeStdoutToStderr();
        new Plim();
    }
    void expectSettingsUntouched() {
        EXPECT_EQ(EngineTestFolder::readFile(folder.userSettingsPath()), USER_SETTINGS);
        std::string crashLog = EngineTestFolder::readFile(folder.crashLogPath());
        EXPECT_NE(crashLog.find("error(): Forced exit."), std::string::npos);
    }

    EngineTestFolder folder;
    ManualTickSource ticks;
};

// Forked children share this test's folder, so its files can be checked after.
TEST_F(StaticSettingsDeathTest, AMissingFileIsFatal) {
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(startEngine(), ::testing::ExitedWithCode(255),
                "\\*\\*\\* ERROR \\*\\*\\* Error: File '\\./Corvana2demo\\.cfg\\.static' does not exist\\.");
    expectSettingsUntouched();
}

TEST_F(StaticSettingsDeathTest, AMissingKeyIsFatal) {
    GTEST_FLAG_SET(death_test_style, "fast");
    folder.writeStaticSettings("ditherDepth");
    EXPECT_EXIT(startEngine(), ::testing::ExitedWithCode(255),
                "\\*\\*\\* ERROR \\*\\*\\* Error: Key 'ditherDepth' could not be found in section 'Graphics'\\.");
    expectSettingsUntouched();
}

} // namespace
