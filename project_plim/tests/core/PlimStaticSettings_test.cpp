// Start-up needs the static settings file with every key: without it the
// engine ends through the fatal path and leaves the user settings untouched.
// The program's start checks a file beforehand the way the engine reads it.
#include "EngineTestFolder.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "core/StaticSettings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

// Each key present with a value of its type, or the first that is not, named.
TEST(StaticSettings, AProblemNamesTheFirstKeyTheEngineCouldNotRead) {
    EngineTestFolder folder;
    const std::string path = folder.root + "/Corvana2demo.cfg.static";
    folder.writeStaticSettings();
    const std::string good = EngineTestFolder::readFile(path);
    EXPECT_EQ(StaticSettings::problem(path.c_str()), "");
    auto problemWith = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        EngineTestFolder::writeFile(path, text);
        return std::string(StaticSettings::problem(path.c_str()).c_str());
    };
    EXPECT_EQ(problemWith("bHoliday=No", "bHoliday=maybe"), "the key 'bHoliday' of section [Edition] is 'maybe', not Yes or No");
    EXPECT_EQ(problemWith("singleLanguage=0", "singleLanguage=99999999999"),
              "the key 'singleLanguage' of section [Language] is '99999999999', not a whole number the game can hold");
    EXPECT_EQ(problemWith("hardwareMouseScaling=1.00000000", "hardwareMouseScaling=nan"),
              "the key 'hardwareMouseScaling' of section [Input] is 'nan', not a number");
    EXPECT_EQ(problemWith("[Graphics]", "[Graphic]"), "it lacks the key 'ditherDepth' of section [Graphics]");
    EXPECT_EQ(problemWith("ditherDepth=0", "ditherDepth=0\xff"), "the key 'ditherDepth' of section [Graphics] is '0\\xff', not a whole number");
    unlink(path.c_str());
    mkdir(path.c_str(), 0755);
    EXPECT_EQ(StaticSettings::problem(path.c_str()), "Is a directory");
}

} // namespace
