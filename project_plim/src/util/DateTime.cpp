#include "DateTime.h"

#include <ctime>

DateTime::DateTime() : seconds(int64_t(time(nullptr))) {}

UString dateTimeString(const DateTime& time) {
    time_t t = time_t(time.seconds);
    tm parts;
    if (int64_t(t) != time.seconds || !gmtime_r(&t, &parts)) return UString();
    char buffer[256];
    size_t n = strftime(buffer, sizeof buffer, "%Y-%m-%d %H.%M.%S", &parts);
    return UString(buffer, n);
}
