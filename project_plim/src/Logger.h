#pragma once
// The run's text log. Every line carries the milliseconds since the previous
// line ("+%lu\t") or a bare tab for the first line and lines in the same
// millisecond. Callers tag their messages: print("%s(): %s", "name", text).
#include "UString.h"

#include <cstdint>
#include <mutex>

class FileStream;
class RuntimeClass;

class Logger {
public:
    // Opens (and empties) the log file and writes the three header lines.
    // A log that cannot be opened is silently disabled.
    Logger();
    virtual RuntimeClass* getClass();
    virtual ~Logger();

    static RuntimeClass runtimeClass;

    // printf-style; one line per call. Does nothing once the log is closed.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Writes what is buffered to the file (tests read the log while it is open).
    void flush();

    // Closes the log and copies it to the crash log in the user data folder.
    // Only the fatal-error path calls this; later prints write nothing.
    void saveCrashLog();

    const UString& getFileName() const { return fileName; }
    // Path of the crash copy ("crash." + build name + ".log" in the user data folder).
    static UString crashLogPath();

private:
    static UString chooseFileName();

    UString fileName;
    FileStream* file = nullptr;
    uint32_t lastLineTicks = 0;
    bool bWroteLine = false;
    // The fatal path may run on the audio thread while the main thread logs.
    std::recursive_mutex lock;
};

// printf-style line tagged with the reporting operation ("tag(): message") in
// the engine's log; nothing when there is no engine or log.
void logTagged(const char* tag, const char* format, ...) __attribute__((format(printf, 2, 3)));
