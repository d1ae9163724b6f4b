#pragma once
// The engine clock as the network layer reads it: every time stamp, silence
// and statistics slice uses it.
#include "core/Plim.h"
#include "core/TimeKeeper.h"

inline double netTime() { return PLIM && PLIM->timeKeeper ? PLIM->timeKeeper->getTime() : TimeKeeper::getRawTime(); }
