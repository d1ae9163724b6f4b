// Settings files: the parser's rules, the typed accessors, the exact bytes and
// order of a saved file, the strict getter's fatal error and the safe save.
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "core/ErrorManager.h"
#include "files/FileManager.h"
#include "files/MemoryIniFile.h"
#include "core/Plim.h"
#include "util/UString.h"
#include "files/UserNotices.h"
#include "core/Logger.h"
#include "LogText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

class MemoryIniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new Plim(Plim::Bare{});
        engine->errorManager = new ErrorManager();
        engine->fileManager = new FileManager();
        engine->fileManager->bForceDisk = true;
    }
    void TearDown() override { BareEngine::shutDown(engine); }

    std::string path(const char* name) const { return folder.root + "/" + name; }
    // A settings object read from a file holding text.
    MemoryIniFile* load(const std::string& text, const char* name = "test.ini") {
        EngineTestFolder::writeFile(path(name), text);
        return new MemoryIniFile(path(name).c_str());
    }

    EngineTestFolder folder;
    Plim* engine = nullptr;
};

TEST_F(MemoryIniFileTest, LinesSplitAtLineFeedsAndAreTrimmed) {
    MemoryIniFile* ini = load("[A]\nx=1\nx=2\n  [A]  \r\ny=3\r\nz=4");
    EXPECT_EQ(1, ini->getInt("A", "x"));  // the first occurrence wins
    EXPECT_EQ(3, ini->getInt("A", "y"));  // CR LF reads like LF
    EXPECT_EQ(4, ini->getInt("A", "z"));  // the last line needs no line feed
    delete ini;

    // A carriage return alone ends no line: one key line, value with CRs in it.
    ini = load("[B]\rk=v\rw=2");
    EXPECT_FALSE(ini->hasKey("B", "k"));
    EXPECT_EQ(UString("v\rw=2"), ini->getString("", "[B]\rk"));
    delete ini;
}

TEST_F(MemoryIniFileTest, SectionAndKeyLinesAreTakenVerbatim) {
    MemoryIniFile* ini = load("top=1\n[S]\na = b\n=v\nk=\nq=a=b\nPlim\nx=y\n;c\n");
    EXPECT_EQ(UString("1"), ini->getString("", "top"));  // before any section line
    EXPECT_FALSE(ini->hasKey("S", "a"));
    EXPECT_EQ(UString(" b"), ini->getString("S", "a "));
    EXPECT_EQ(UString("v"), ini->getString("S", ""));
    EXPECT_EQ(UString(""), ini->getString("S", "k"));
    EXPECT_FALSE(ini->getBool("S", "k"));
    EXPECT_EQ(0, ini->getInt("S", "k"));
    EXPECT_EQ(UString("a=b"), ini->getString("S", "q"));
    EXPECT_EQ(UString("y"), ini->getString("S", "x"));  // "Plim" is no section line: ignored
    EXPECT_FALSE(ini->hasKey("", ";c"));
    delete ini;
}

TEST_F(MemoryIniFileTest, SectionWithoutKeysDoesNotExistButLookupsCreateIt) {
    MemoryIniFile* ini = load("[A]\n[B]\nk=v\n");
    EXPECT_EQ(std::string("[B]\nk=v\n\n"), ini->toText().str());
    EXPECT_FALSE(ini->hasKey("C", "k"));  // creates the empty section C
    EXPECT_EQ(std::string("[B]\nk=v\n\n[C]\n\n"), ini->toText().str());
    delete ini;
}

TEST_F(MemoryIniFileTest, TypedAccessorsStoreAndConvertText) {
    MemoryIniFile ini(path("none.ini").c_str());
    ini.setDouble("S", "d", 0.2);
    ini.setDouble("S", "f", 0.015);
    ini.setBool("S", "t", true);
    ini.setBool("S", "n", false);
    ini.setInt("S", "i", -1);
    EXPECT_EQ(UString("0.20000000"), ini.getString("S", "d"));
    EXPECT_EQ(UString("0.01500000"), ini.getString("S", "f"));
    EXPECT_DOUBLE_EQ(0.015, ini.getDouble("S", "f"));
    EXPECT_EQ(UString("Yes"), ini.getString("S", "t"));
    EXPECT_EQ(UString("No"), ini.getString("S", "n"));
    EXPECT_EQ(UString("-1"), ini.getString("S", "i"));

    for (const char* falseText : {"yes", "1", " Yes", ""}) {
        ini.setString("S", "b", falseText);
        EXPECT_FALSE(ini.getBool("S", "b")) << falseText;
    }
    ini.setString("S", "b", "Yeah");
    EXPECT_TRUE(ini.getBool("S", "b"));
    ini.setString("S", "v", "  42abc");
    EXPECT_EQ(42, ini.getInt("S", "v"));
    ini.setString("S", "v", "abc");
    EXPECT_EQ(0, ini.getInt("S", "v"));
    EXPECT_EQ(0.0, ini.getDouble("S", "v"));

    ini.removeKey("S", "v");
    EXPECT_FALSE(ini.hasKey("S", "v"));
    ini.removeKey("T", "v");  // a missing key or section is no error
}

TEST_F(MemoryIniFileTest, SettingWithDefaultWritesAMissingKeyAndReadsItBack) {
    std::unique_ptr<MemoryIniFile> ini(load("[S]\nb=yes\ni=7x\n"));
    bool b = true;
    int i = 1;
    ini->readSetting("S", "b", b);  // present: the file wins, by the getter's rules
    ini->readSetting("S", "i", i);  // but a number must be wholly one
    EXPECT_FALSE(b);
    EXPECT_EQ(1, i);
    EXPECT_EQ(UString("yes"), ini->getString("S", "b"));

    double d = 0.123456789;
    UString text = "default";
    bool missing = true;
    int n = -3;
    ini->readSetting("S", "d", d);  // missing: written in the type's format, then read back
    ini->readSetting("S", "s", text);
    ini->readSetting("T", "m", missing);
    ini->readSetting("T", "n", n);
    EXPECT_EQ(UString("0.12345679"), ini->getString("S", "d"));
    EXPECT_DOUBLE_EQ(0.12345679, d);
    EXPECT_EQ(UString("default"), ini->getString("S", "s"));
    EXPECT_EQ(UString("Yes"), ini->getString("T", "m"));
    EXPECT_TRUE(missing);
    EXPECT_EQ(UString("-3"), ini->getString("T", "n"));
    EXPECT_EQ(-3, n);
}

TEST_F(MemoryIniFileTest, SavedFileHasExactBytes) {
    MemoryIniFile* ini = load("");
    ini->setString("Plim", "k", "v");
    ini->save();
    EXPECT_EQ(std::string("[Plim]\nk=v\n\n"), EngineTestFolder::readFile(path("test.ini")));
    EXPECT_FALSE(EngineTestFolder::exists(path("test.ini.tmp")));

    ini->setString("Plim", "k", "w");  // replaces, the key still occurs once
    ini->save();
    EXPECT_EQ(std::string("[Plim]\nk=w\n\n"), EngineTestFolder::readFile(path("test.ini")));
    delete ini;

    // A file that did not exist is created by the first save; nothing before.
    MemoryIniFile fresh(path("fresh.ini").c_str());
    EXPECT_FALSE(EngineTestFolder::exists(path("fresh.ini")));
    fresh.save();
    EXPECT_EQ(std::string(), EngineTestFolder::readFile(path("fresh.ini")));
}

TEST_F(MemoryIniFileTest, KeyWithEqualsSignSplitsWhenReadBack) {
    MemoryIniFile ini(path("eq.ini").c_str());
    ini.setString("S", "a=b", "c");
    ini.save();
    MemoryIniFile back(path("eq.ini").c_str());
    EXPECT_FALSE(back.hasKey("S", "a=b"));
    EXPECT_EQ(UString("b=c"), back.getString("S", "a"));
}

// Entries of one bucket come newest first; growth past 193 entries rehashes
// into 389 buckets, popping each old chain from the front, which reverses them.
TEST_F(MemoryIniFileTest, FileOrderFollowsBucketsAndGrowth) {
    ASSERT_EQ(UString("AZ").hash(), UString("BU").hash());
    ASSERT_EQ(UString("a").hash() % 193, UString("(Z").hash() % 193);

    MemoryIniFile ini(path("order.ini").c_str());
    ini.setString("S", "b", "2");
    ini.setString("S", "a", "1");
    ini.setString("S", "(Z", "3");
    EXPECT_EQ(std::string("[S]\n(Z=3\na=1\nb=2\n\n"), ini.toText().str());
    ini.setString("S", "a", "4");  // setting moves it to the front of its bucket
    EXPECT_EQ(std::string("[S]\na=4\n(Z=3\nb=2\n\n"), ini.toText().str());

    MemoryIniFile big(path("big.ini").c_str());
    big.setString("G", "AZ", "x");
    big.setString("G", "BU", "y");
    for (int i = 0; i < 191; ++i) big.setInt("G", UString::format("key%d", i), i);
    std::string text = big.toText().str();
    EXPECT_LT(text.find("BU="), text.find("AZ="));  // 193 entries: no growth yet
    big.setInt("G", "key191", 191);
    text = big.toText().str();
    EXPECT_LT(text.find("AZ="), text.find("BU="));

    // After growth the keys run in ascending bucket order of 389 buckets.
    std::vector<uint32_t> buckets;
    size_t start = text.find('\n') + 1;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos && end > start; start = end + 1) {
        std::string line = text.substr(start, end - start);
        buckets.push_back(UString(line.substr(0, line.find('=')).c_str()).hash() % 389);
    }
    ASSERT_EQ(194u, buckets.size());
    EXPECT_TRUE(std::is_sorted(buckets.begin(), buckets.end()));
}

TEST_F(MemoryIniFileTest, MissingKeyIsFatal) {
    MemoryIniFile* ini = load("[A]\nk=v\n");
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            ini->getString("A", "x");
        },
        ::testing::ExitedWithCode(255),
        ::testing::AllOf(
            ::testing::HasSubstr("*** ERROR *** Error: Key 'x' could not be found in section 'A'.\n"),
            ::testing::HasSubstr(" Function: getString()\n File: "),
            ::testing::HasSubstr("MemoryIniFile")));
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            ini->getBool("B", "k");
        },
        ::testing::ExitedWithCode(255), ::testing::HasSubstr("Key 'k' could not be found in section 'B'."));
    delete ini;
}

TEST_F(MemoryIniFileTest, FailedSaveKeepsTheOldFile) {
    EngineTestFolder::writeFile(path("keep.ini"), "[Old]\nk=v\n");
    MemoryIniFile ini(path("keep.ini").c_str());
    ini.setString("New", "data", std::string(100000, 'x').c_str());

    // The process runs out of file space mid-write.
    EXPECT_EXIT(
        {
            EngineTestFolder::limitFileSize(4096);
            ini.save();
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(std::string("[Old]\nk=v\n"), EngineTestFolder::readFile(path("keep.ini")));
    EXPECT_EQ(0, system(("test \"$(ls '" + folder.root + "')\" = keep.ini").c_str())) << "no temporary file left";

    // A folder that cannot be written: logged with the system's reason, and told.
    engine->log = new Logger();
    UserNotices::take();
    MemoryIniFile nowhere(path("missing/x.ini").c_str());
    nowhere.setInt("S", "k", 1);
    EXPECT_FALSE(nowhere.save());
    EXPECT_FALSE(EngineTestFolder::exists(path("missing/x.ini")));
    std::vector<UString> notices = UserNotices::take();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(UString("Could not save '" + path("missing/x.ini") +
                      "': No such file or directory. Your latest changes are not kept."),
              notices[0]);
    delete engine->log;
    engine->log = nullptr;
    LogText log(EngineTestFolder::readFile(folder.logPath()));
    EXPECT_EQ(1, log.count("save(): Cannot save '" + path("missing/x.ini") + "': No such file or directory"));
}

// Settings whose use could overflow or hang fall back to their defaults when
// out of range, with a log line; the file keeps what the player wrote. A flag
// neither Yes nor No reads as the getter reads it, with a log line.
TEST_F(MemoryIniFileTest, RangedSettingsFallBackToTheirDefaults) {
    engine->log = new Logger();
    MemoryIniFile* ini = load("[S]\nhuge=2147483647\nlow=-3\nfine=7\nperiod=2147483647\nnan=nan\nok=0.5\n"
                              "word=fast\nhalf=1.5\nlower=yes\nupper=YES\n");
    bool lower = true, upper = false;
    ini->readSetting("S", "lower", lower);
    ini->readSetting("S", "upper", upper);
    EXPECT_TRUE(!lower && upper);
    int huge = 2, low = 2, fine = 2, missing = 5, word = 3, half = 6;
    double period = 0.015, nan = 0.25, ok = 0.015;
    ini->readSetting("S", "huge", huge, 0, 1000);
    ini->readSetting("S", "low", low, 0, 1000);
    ini->readSetting("S", "fine", fine, 0, 1000);
    ini->readSetting("S", "missing", missing, 0, 1000);
    ini->readSetting("S", "period", period, 0.0, 1.0);
    ini->readSetting("S", "nan", nan, 0.0, 1.0);
    ini->readSetting("S", "ok", ok, 0.0, 1.0);
    EXPECT_FALSE(ini->readSetting("S", "word", word, 0, 1000));  // not wholly a number
    ini->readSetting("S", "half", half);
    EXPECT_EQ(2, huge);
    EXPECT_EQ(2, low);
    EXPECT_EQ(7, fine);
    EXPECT_EQ(5, missing);
    EXPECT_EQ(0.015, period);
    EXPECT_EQ(0.25, nan);
    EXPECT_EQ(0.5, ok);
    EXPECT_EQ(3, word);
    EXPECT_EQ(6, half);
    EXPECT_EQ(UString("2147483647"), ini->getString("S", "period"));
    EXPECT_EQ(UString("5"), ini->getString("S", "missing"));
    delete ini;
    delete engine->log;
    engine->log = nullptr;
    LogText log(EngineTestFolder::readFile(folder.logPath()));
    EXPECT_EQ(1, log.count("readSetting(): Setting huge=2147483647 of [S] is out of range (0 to 1000); using 2."));
    EXPECT_EQ(1, log.count("readSetting(): Setting low=-3 of [S] is out of range (0 to 1000); using 2."));
    EXPECT_EQ(1, log.count("readSetting(): Setting period=2147483647 of [S] is out of range (0 to 1); using 0.015."));
    EXPECT_EQ(1, log.count("readSetting(): Setting nan=nan of [S] is out of range (0 to 1); using 0.25."));
    EXPECT_EQ(-1, log.findPrefix("readSetting(): Setting fine"));
    EXPECT_EQ(1, log.count("readSetting(): Setting word=fast of [S] is not a number; using 3."));
    EXPECT_EQ(1, log.count("readSetting(): Setting half=1.5 of [S] is not a number; using 6."));
    EXPECT_EQ(1, log.count("readSetting(): Setting lower=yes of [S] is not Yes or No; reading it as No."));
    EXPECT_EQ(-1, log.findPrefix("readSetting(): Setting upper"));
}

// A settings file is read only when it is text of a sane size, whatever its lines say.
TEST_F(MemoryIniFileTest, OnlyASettingsFileThatIsNotTextIsDamaged) {
    const std::pair<std::string, std::string> cases[] = {
        {"\n[A]\n  k=v \r\n; a note\n# another\n=\n[]\n", ""}, {"[A]\nk=v\nPlim\n", ""},
        {"[A\nk=v\n\tx\xfe\x80\n", ""}, {"k=v\n\x01=\xfe\n", "it is not text (byte 0x01 on line 2)"},
        {std::string("a=\0", 3), "it is not text (byte 0x00 on line 1)"},
        {"[A]\n\n\nk=\x7f\n", "it is not text (byte 0x7f on line 4)"},
        {std::string(MemoryIniFile::MAX_FILE_SIZE, '\n'), ""},
        {std::string(MemoryIniFile::MAX_FILE_SIZE + 1, '\n'), "it is 1048577 bytes long, more than a settings file can be"}};
    for (const auto& c : cases) {
        EngineTestFolder::writeFile(path("check.cfg"), c.first);
        EXPECT_EQ(UString(c.second), MemoryIniFile::whyDamaged(path("check.cfg").c_str())) << c.first.substr(0, 40);
    }
}

} // namespace
