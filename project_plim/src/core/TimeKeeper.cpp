#include "TimeKeeper.h"

#include "Logger.h"
#include "Plim.h"
#include "util/PlimUtil.h"
#include "RuntimeClass.h"

// A root record: the class table lists the clock without a base class.
RuntimeClass TimeKeeper::runtimeClass("TimeKeeper", &TimeKeeper::runtimeClass, nullptr);

RuntimeClass* TimeKeeper::getClass() { return &runtimeClass; }

TimeKeeper::TimeKeeper() {
    logTagged("TimeKeeper", "Starting...");

    double shortest = 999.0;
    for (int i = 0; i < 10; ++i) {
        delayMilliseconds(1);
        double t1 = getTime();
        delayMilliseconds(1);
        double t2 = getTime();
        if (t2 - t1 < shortest) shortest = t2 - t1;
    }
    if (shortest < 1.0) sleepGranularity = shortest;

    logTagged("TimeKeeper", "Sleep() granularity: %.3lf ms.", sleepGranularity * 1000.0);
    logTagged("TimeKeeper", "getTickCount() origin: %lu.", (unsigned long)getTicks());
    logTagged("TimeKeeper", "Started.");
}

TimeKeeper::~TimeKeeper() {}

double TimeKeeper::getRawTime() { return (double)getTicks() / 1000.0; }

double TimeKeeper::getTime() const { return getRawTime() - discardedTime; }

void TimeKeeper::onPLIMmodeChange(int oldMode, int newMode) {
    // Paused engines normally stop the clock while unfocused; engines that
    // tick while paused only lose the time spent restoring the video mode.
    bool tickWhilePaused = PLIM->bTickWhilePaused;
    int pauseFrom = tickWhilePaused ? MODE_INACTIVE : MODE_OK;
    int pauseTo = tickWhilePaused ? MODE_RESTORE : MODE_INACTIVE;
    if (oldMode == pauseFrom && newMode == pauseTo) {
        discardStart = getRawTime();
        logTagged("onPLIMmodeChange", "Starting to discard time at %.3lf.", discardStart);
    } else if (oldMode == pauseTo && newMode == pauseFrom) {
        discardedTime += getRawTime() - discardStart;
        logTagged("onPLIMmodeChange", "Discarded time is now %.3lf.", discardedTime);
    }
}
