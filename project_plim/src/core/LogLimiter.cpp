#include "LogLimiter.h"

#include "Logger.h"

LogLimiter::LogLimiter(const char* tag, int linesPerSecond, const char* what)
    : tag(tag), linesPerSecond(linesPerSecond), what(what) {}

LogLimiter::~LogLimiter() { logCount(); }

bool LogLimiter::secondOver(double now) const {
    // A clock that went back (another engine's) starts a new second too.
    return now >= secondStart + 1.0 || now < secondStart;
}

void LogLimiter::logCount() {
    if (leftOut)
        logTagged(tag, "%d more %s within a second, not logged.", leftOut, what);
    leftOut = 0;
}

void LogLimiter::flush(double now) {
    if (bStarted && secondOver(now))
        logCount();
}

bool LogLimiter::allow(double now) {
    if (!bStarted || secondOver(now)) {
        logCount();
        bStarted = true;
        secondStart = now;
        written = 0;
    }
    if (written < linesPerSecond) {
        ++written;
        return true;
    }
    ++leftOut;
    return false;
}

void LogLimiter::log(double now, const char* lineTag, const char* format, ...) {
    if (!allow(now))
        return;
    va_list args;
    va_start(args, format);
    logTaggedV(lineTag, format, args);
    va_end(args);
}
