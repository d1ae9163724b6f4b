// Start-up needs the static settings file with every key: without it the
// engine ends through the fatal path and leaves the user settings untouched.
// The program's start checks a file beforehand the way the engine reads it.
#include "EngineTestFolder.h"
#include "ManualTickSource.h"
#include "core/Plim.h"
#include "core/StaticSettings.h"
#include "files/MemoryIniFile.h"

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
    EXPECT_EQ(problemWith("singleLanguage=0", "singleLanguage=99999999999"),
              "the key 'singleLanguage' of section [Language] on line 3 is '99999999999', not a whole number the game "
              "can hold");
    EXPECT_EQ(problemWith("hardwareMouseScaling=1.00000000", "hardwareMouseScaling=nan"),
              "the key 'hardwareMouseScaling' of section [Input] on line 9 is 'nan', not a number");
    EXPECT_EQ(problemWith("[Graphics]", "[Graphic]"), "it lacks the key 'ditherDepth' of section [Graphics]");
    // Read strictly: the engine would take the first of two values and pass the stray line.
    EXPECT_EQ(problemWith("bHoliday=No", "bHoliday=No\nbHoliday=maybe"),
              "the key 'bHoliday' of section [Edition] is given on line 5 and again on line 6");
    EXPECT_EQ(problemWith("[Graphics]", "junk\n[Graphics]"), "line 6 is neither a section, a key nor a comment");
    EXPECT_EQ(problemWith("ditherDepth=0", "ditherDepth=0\xff"),
              "the key 'ditherDepth' of section [Graphics] on line 7 is '0\\xff', not a whole number");
    unlink(path.c_str());
    mkdir(path.c_str(), 0755);
    EXPECT_EQ(StaticSettings::problem(path.c_str()), "Is a directory");
}

// The check accepts what the engine reads and refuses what it cannot,
// naming why a key it misses looks present in an editor.
TEST(StaticSettings, TheCheckAndTheEngineReadTheSameFiles) {
    GTEST_FLAG_SET(death_test_style, "fast");
    EngineTestFolder folder;
    const std::string path = folder.root + "/Corvana2demo.cfg.static";
    folder.writeStaticSettings();
    const std::string good = EngineTestFolder::readFile(path);
    auto engineReads = [](const std::string& text) {
        MemoryIniFile file("", false);
        file.parse(text.data(), int(text.size()));
        StaticSettings values;
        values.read(file);
        return values;
    };
    auto problemOf = [&](const std::string& text) {
        EngineTestFolder::writeFile(path, text);
        return std::string(StaticSettings::problem(path.c_str()).c_str());
    };
    std::string shouting = good;
    shouting.replace(shouting.find("bHoliday=No"), 11, "bHoliday=YES");
    EXPECT_EQ(problemOf(shouting), "");
    EXPECT_TRUE(engineReads(shouting).bHoliday);

    std::string spaced = good, crAlone = good;
    spaced.replace(spaced.find("singleLanguage=0"), 16, "singleLanguage =\t0");
    for (char& c : crAlone) c = c == '\n' ? '\r' : c;
    const std::pair<std::string, std::string> refused[] = {
        {"\xEF\xBB\xBF" + good, "line 1 begins with a byte-order mark, so the game does not read that line (save the "
                              "file as UTF-8 without one)"},
        {spaced, "line 3 has blanks around '=', which the game reads as part of the key"},
        {crAlone, "its lines end in CR alone, which the game reads as one line"}};
    for (const auto& [text, why] : refused) {
        EXPECT_EQ(problemOf(text), why);
        EXPECT_EXIT((EngineTestFolder::routeStdoutToStderr(), engineReads(text)), ::testing::ExitedWithCode(255),
                    "could not be found in section");
    }
    // A flag its writer meant as Yes that the engine reads as No is refused
    // with its line; Yes with a capital Y and No in any case read as written.
    auto withFlag = [&good](const char* key, const std::string& value) {
        std::string text = good;
        const size_t at = text.find('=', text.find(key)) + 1;
        return text.replace(at, text.find('\n', at) - at, value);
    };
    const std::string no = ", which the game reads as No", blanks = no + " (it reads the blanks after '=' as part of the value)";
    const std::pair<std::string, std::string> flags[] = {{"yes", "'yes'" + no}, {"1", "'1'" + no}, {"true", "'true'" + no},
        {"\"Yes\"", "'\"Yes\"'" + no}, {" Yes", "' Yes'" + blanks}, {"\tYes", "'\\x09Yes'" + blanks}};
    for (const auto& [value, said] : flags) {
        EXPECT_FALSE(engineReads(withFlag("bHoliday", value)).bHoliday) << value;
        EXPECT_EQ(problemOf(withFlag("bHoliday", value)),
                  "the key 'bHoliday' of section [Edition] on line 5 is " + said + "; write Yes or No");
    }
    EXPECT_EQ(problemOf(withFlag("bMultilanguage", "yes")),
              "the key 'bMultilanguage' of section [Language] on line 2 is 'yes'" + no + "; write Yes or No");
    EXPECT_EQ(problemOf(withFlag("bMultilanguage", "NO")), "");

    std::string utf16 = "\xFF\xFE";
    for (char c : good) utf16 += {c, '\0'};
    EXPECT_EQ(problemOf(utf16), "it is UTF-16 text, not UTF-8");
}

} // namespace
