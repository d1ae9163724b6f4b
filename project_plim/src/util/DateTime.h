#pragma once
// A calendar time: signed 64-bit seconds since 1970-01-01 00:00:00 UTC.
// Stored as is in saved data, so the width and epoch are fixed.
#include "UString.h"

#include <cstdint>

class DateTime {
public:
    DateTime();  // now
    explicit DateTime(int64_t seconds) : seconds(seconds) {}

    int64_t seconds;
};

// "%Y-%m-%d %H.%M.%S" in UTC, e.g. "2009-03-14 15.09.26"; empty for a time
// the platform cannot represent.
UString dateTimeString(const DateTime& time);
