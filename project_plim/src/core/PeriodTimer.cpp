#include "PeriodTimer.h"

#include "Plim.h"
#include "util/PlimUtil.h"
#include "TimeKeeper.h"

#include <algorithm>
#include <climits>

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
        // Capped before the cast: a huge period must not wrap the unsigned milliseconds.
        if (remaining > 0.0)
            delayMilliseconds((unsigned int)std::min(remaining * 1000.0, double(UINT_MAX)));
        else
            delayMilliseconds(1);
    }
    double now = clock->getTime();
    previousStart = startTime;
    lateness = now - (startTime + period);
    startTime = clock->getTime();
}

double PeriodTimer::elapsed() const { return PLIM->timeKeeper->getTime() - startTime; }
