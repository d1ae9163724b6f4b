// A few lines of a kind a second reach the log; the rest are counted in one
// line once their second is over.
#include "core/LogLimiter.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "LogText.h"

#include <gtest/gtest.h>

TEST(LogLimiter, AFewLinesASecondThenOneLineWithTheCount) {
    EngineTestFolder folder;
    Plim* engine = BareEngine::withFiles();
    {
        LogLimiter limiter("flood");
        for (int i = 0; i < 100; ++i)
            limiter.log(10.0 + i * 0.001, "notice", "line %d", i);
        limiter.flush(10.999); // not over yet
        limiter.flush(11.0);
        EXPECT_TRUE(limiter.allow(11.2));
        for (int i = 0; i < 7; ++i)
            limiter.log(11.5, "notice", "late %d", i);
    } // owes the count of the last second
    engine->log->flush();
    LogText log(EngineTestFolder::readFile(folder.logPath()));
    int at = log.find("notice(): line 4");
    EXPECT_EQ(log.find("notice(): line 5"), -1);
    EXPECT_EQ(log.find("flood(): 95 more lines within a second, not logged."), at + 1);
    EXPECT_EQ(log.find("notice(): late 3"), at + 5);
    EXPECT_EQ(log.find("flood(): 3 more lines within a second, not logged."), at + 6);
    BareEngine::shutDown(engine);
}
