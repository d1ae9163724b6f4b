#pragma once
// Where the crash files of a previous run lie: the paths the fatal-error path
// writes, and the network trace that nothing writes but a report would send.
#include "util/UString.h"

class Config {
public:
    static UString getCRASHLOGfile();
    static UString getCRASHSCREENSHOTfile();
    static UString getCRASHNETTRAFFICfile();
};
