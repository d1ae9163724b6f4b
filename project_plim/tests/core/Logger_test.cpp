// The log file: where it lies, its header, the millisecond prefixes and the
// crash copy.
#include "EngineTestFolder.h"
#include "core/Logger.h"
#include "ManualTickSource.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class LoggerTest : public ::testing::Test {
protected:
    // The body of the log after the three header lines.
    std::string body(const std::string& text) {
        size_t at = 0;
        for (int i = 0; i < 3 && at != std::string::npos; ++i)
            at = text.find('\n', at) + 1;
        return text.substr(at);
    }

    EngineTestFolder folder;
    ManualTickSource ticks{7000};
};

TEST_F(LoggerTest, HeaderAndLineFormatWithInjectedTicks) {
    Logger* log = new Logger();
    EXPECT_EQ(log->getFileName(), folder.logPath());
    ticks.advance(1234);
    log->print("%s(): %s", "TimeKeeper", "Started.");
    log->print("same millisecond");  // no delta
    ticks.advance(5);
    log->print("%s(): %s", "load", "100% of '%s' %d");
    delete log;

    std::string text = EngineTestFolder::readFile(folder.logPath());
    // The first line carries a bare tab although the clock stands at 7000.
    EXPECT_EQ(text.substr(0, 40), "\tApplication: Corvana2demo version 2.60\n");
    EXPECT_NE(text.find("\n\tLog file: " + folder.logPath() + "\n"), std::string::npos);
    size_t date = text.find("\n\tLog date: ");
    ASSERT_NE(date, std::string::npos);
    // "YYYY-MM-DD HH.MM.SS UTC"
    std::string stamp = text.substr(date + 12, text.find('\n', date + 1) - date - 12);
    EXPECT_EQ(stamp.size(), 23u) << stamp;
    EXPECT_EQ(stamp.substr(19), " UTC");

    EXPECT_EQ(body(text), "+1234\tTimeKeeper(): Started.\n"
                          "\tsame millisecond\n"
                          "+5\tload(): 100% of '%s' %d\n");
}

TEST_F(LoggerTest, DeltaWrapsAroundThe32BitCounter) {
    ticks.now = 0xfffffff0u;
    Logger* log = new Logger();
    ticks.now = 0x10;
    log->print("after wrap");
    delete log;
    EXPECT_EQ(body(EngineTestFolder::readFile(folder.logPath())), "+32\tafter wrap\n");
}

TEST_F(LoggerTest, FirstLineAtTickZeroStillStartsTheDeltas) {
    ticks.now = 0;
    Logger* log = new Logger();
    ticks.advance(40);
    log->print("later");
    delete log;
    EXPECT_EQ(body(EngineTestFolder::readFile(folder.logPath())), "+40\tlater\n");
}

TEST_F(LoggerTest, CrashCopyGoesToTheUserFolderAndClosesTheLog) {
    Logger* log = new Logger();
    log->print("last words");
    EXPECT_EQ(Logger::crashLogPath(), folder.crashLogPath());
    log->saveCrashLog();

    std::string original = EngineTestFolder::readFile(folder.logPath());
    std::string copy = EngineTestFolder::readFile(folder.crashLogPath());
    EXPECT_EQ(copy, original);
    EXPECT_NE(copy.find("\tlast words\n"), std::string::npos);

    log->print("ignored");
    delete log;
    EXPECT_EQ(EngineTestFolder::readFile(folder.logPath()), original);
    EXPECT_EQ(EngineTestFolder::readFile(folder.crashLogPath()), original);
}

// No empty crash log is left to be offered as a report; an older one stays.
TEST_F(LoggerTest, UnopenableLogIsSilentAndLeavesNoCrashCopy) {
    // A folder or a FIFO where the log should be: it cannot be opened for writing.
    Logger::crashLogPath();  // creates the user folder
    for (int (*make)(const char*, mode_t) : {mkdir, mkfifo}) {
        rmdir(folder.logPath().c_str());
        ASSERT_EQ(make(folder.logPath().c_str(), 0755), 0);
        EngineTestFolder::writeFile(folder.crashLogPath(), "previous crash");
        Logger* log = new Logger();
        log->print("dropped");
        log->saveCrashLog();
        delete log;
        EXPECT_TRUE(EngineTestFolder::readFile(folder.crashLogPath()) == "previous crash" && !EngineTestFolder::exists(Logger::crashLogTempPath().str()));
    }
}

} // namespace
