// The engine clock and the frame timer, on a tick source the tests move by hand.
#include "EngineTestFolder.h"
#include "core/Logger.h"
#include "ManualTickSource.h"
#include "core/PeriodTimer.h"
#include "core/Plim.h"
#include "core/TimeKeeper.h"

#include <gtest/gtest.h>

namespace {

class ClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new Plim(Plim::Bare{});
        engine->log = new Logger();
        engine->timeKeeper = new TimeKeeper();
    }
    void TearDown() override {
        delete engine;
        PLIM = nullptr;
    }
    std::string log() {
        PLIM->log->saveCrashLog(); // flushes and closes
        return EngineTestFolder::readFile(folder.logPath());
    }

    EngineTestFolder folder;
    ManualTickSource ticks{5000};
    Plim* engine = nullptr;
};

TEST_F(ClockTest, StartUpMeasuresTheSleepGranularityAndKeepsTheTickOrigin) {
    TimeKeeper* clock = PLIM->timeKeeper;
    EXPECT_NEAR(clock->sleepGranularity, 0.001, 1e-9);
    // 20 sleeps of 1 ms during the measurement; no origin is subtracted.
    EXPECT_EQ(ticks.delays.size(), 20u);
    EXPECT_DOUBLE_EQ(clock->getTime(), 5.020);
    std::string text = log();
    EXPECT_NE(text.find("TimeKeeper(): Starting..."), std::string::npos);
    EXPECT_NE(text.find("TimeKeeper(): Sleep() granularity: 1.000 ms."), std::string::npos);
    EXPECT_NE(text.find("TimeKeeper(): getTickCount() origin: 5020."), std::string::npos);
    EXPECT_NE(text.find("TimeKeeper(): Started."), std::string::npos);
}

TEST_F(ClockTest, FocusLossIsCutOutOfTheClock) {
    TimeKeeper* clock = PLIM->timeKeeper;
    double atLoss = clock->getTime();
    clock->onPLIMmodeChange(MODE_OK, MODE_INACTIVE);
    ticks.advance(10000);
    EXPECT_DOUBLE_EQ(clock->getTime(), atLoss + 10.0); // runs on until the pause ends
    clock->onPLIMmodeChange(MODE_INACTIVE, MODE_OK);
    EXPECT_DOUBLE_EQ(clock->getTime(), atLoss);
    ticks.advance(250);
    EXPECT_DOUBLE_EQ(clock->getTime(), atLoss + 0.25);

    // A second pause adds to the first.
    clock->onPLIMmodeChange(MODE_OK, MODE_INACTIVE);
    ticks.advance(2000);
    clock->onPLIMmodeChange(MODE_INACTIVE, MODE_OK);
    EXPECT_DOUBLE_EQ(clock->discardedTime, 12.0);

    std::string text = log();
    EXPECT_NE(text.find("onPLIMmodeChange(): Starting to discard time at 5.020."), std::string::npos);
    EXPECT_NE(text.find("onPLIMmodeChange(): Discarded time is now 10.000."), std::string::npos);
    EXPECT_NE(text.find("onPLIMmodeChange(): Discarded time is now 12.000."), std::string::npos);
}

TEST_F(ClockTest, TickingWhilePausedOnlyCutsTheVideoRestore) {
    PLIM->bTickWhilePaused = true;
    TimeKeeper* clock = PLIM->timeKeeper;
    clock->onPLIMmodeChange(MODE_OK, MODE_INACTIVE);
    ticks.advance(1000);
    clock->onPLIMmodeChange(MODE_INACTIVE, MODE_OK);
    EXPECT_DOUBLE_EQ(clock->discardedTime, 0.0);

    clock->onPLIMmodeChange(MODE_OK, MODE_INACTIVE);
    clock->onPLIMmodeChange(MODE_INACTIVE, MODE_RESTORE);
    ticks.advance(3000);
    clock->onPLIMmodeChange(MODE_RESTORE, MODE_INACTIVE);
    clock->onPLIMmodeChange(MODE_INACTIVE, MODE_OK);
    EXPECT_DOUBLE_EQ(clock->discardedTime, 3.0);
}

TEST_F(ClockTest, WaitSleepsTheRemainderLessOneGranule) {
    PeriodTimer timer;
    timer.start(0.0079);
    ticks.delays.clear();
    timer.wait();
    ASSERT_EQ(ticks.delays.size(), 1u);
    EXPECT_EQ(ticks.delays[0], 6u); // 7.9 ms - 1 ms, truncated
    EXPECT_NEAR(timer.lateness, -0.0019, 1e-9);
    EXPECT_DOUBLE_EQ(timer.startTime, PLIM->timeKeeper->getTime());
    EXPECT_NEAR(timer.startTime - timer.previousStart, 0.006, 1e-9);
}

TEST_F(ClockTest, WaitWithinOneGranuleSleepsOneMillisecond) {
    PeriodTimer timer;
    timer.start(0.015);
    ticks.advance(14);
    ticks.delays.clear();
    timer.wait();
    ASSERT_EQ(ticks.delays.size(), 1u);
    EXPECT_EQ(ticks.delays[0], 1u);
}

TEST_F(ClockTest, AnOverrunFrameDoesNotSleepAndStartsTheNextPeriodNow) {
    PeriodTimer timer;
    timer.start(0.015);
    double started = timer.startTime;
    ticks.advance(40);
    ticks.delays.clear();
    timer.wait();
    EXPECT_TRUE(ticks.delays.empty());
    EXPECT_NEAR(timer.lateness, 0.025, 1e-9);
    EXPECT_DOUBLE_EQ(timer.previousStart, started);
    EXPECT_DOUBLE_EQ(timer.startTime, started + 0.040);
    ticks.advance(5);
    EXPECT_NEAR(timer.elapsed(), 0.005, 1e-9);
}

} // namespace
