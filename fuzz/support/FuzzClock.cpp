#include "FuzzClock.h"

#include "core/Plim.h"
#include "core/TimeKeeper.h"
#include "net/PlimNetwork.h"

bool FuzzClock::startEngine() {
    static bool done = false;
    if (done)
        return false;
    done = true;
    TickSource::install(this);
    new Plim(Plim::Bare{});
    PLIM->timeKeeper = new TimeKeeper();
    PLIM->network = new PlimNetwork();
    return true;
}
