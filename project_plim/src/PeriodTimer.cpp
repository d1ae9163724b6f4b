#include "PeriodTimer.h"

#include "Plim.h"
#include "PlimUtil.h"
#include "TimeKeeper.h"

void PeriodTimer::start(double newPeriod) {
    startTime = previousStart = PLIM->timeKeeper->getTime();
    period = newPeriod;
}

void PeriodTimer::wait() {
    TimeKeeper* clock = PLIM->timeKeeper;
    double remaining = (startTime + period) - clock->getTime();
    if (remaining > 0.0) {
        // Sleeps overshoot by about one granule; wake early rather than late.
        remaining -= clock->sleepGranularity;
        if (remaining > 0.0)
            delayMilliseconds((unsigned int)(remaining * 1000.0));
        else
            delayMilliseconds(1);
    }
    double now = clock->getTime();
    previousStart = startTime;
    lateness = now - (startTime + period);
    startTime = clock->getTime();
}

double PeriodTimer::elapsed() const { return PLIM->timeKeeper->getTime() - startTime; }
