#pragma once
// Lets a few lines of one kind a second into the engine log and counts the
// rest, so that whatever arrives from outside cannot fill the disk through
// the log. Once a second with lines left out is over, one line gives their count.

class LogLimiter {
public:
    enum { LINES_PER_SECOND = 5 };

    // tag: the operation name on the count line; what: what it counts.
    explicit LogLimiter(const char* tag, int linesPerSecond = LINES_PER_SECOND, const char* what = "lines");
    // Gives the count still owed.
    ~LogLimiter();
    LogLimiter(const LogLimiter&) = delete;
    LogLimiter& operator=(const LogLimiter&) = delete;

    // A line as logTagged writes it, when this second's allowance has room.
    void log(double now, const char* lineTag, const char* format, ...) __attribute__((format(printf, 4, 5)));
    // Whether one more line may go now (for lines written elsewhere); one
    // that may not is counted as left out.
    bool allow(double now);
    // Gives the count of a second that is over; callers with no line to write
    // call it now and then, so that a flood that stopped is still told.
    void flush(double now);
    // Whether a count of left-out lines is still to be given (flush does
    // nothing otherwise, so a caller without the time at hand may skip it).
    bool owing() const { return leftOut > 0; }

private:
    bool secondOver(double now) const;
    void logCount();

    const char* tag;
    int linesPerSecond;
    const char* what;
    bool bStarted = false;
    double secondStart = 0.0;
    int written = 0;
    int leftOut = 0;
};
