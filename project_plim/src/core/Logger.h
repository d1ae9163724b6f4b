#pragma once
// The run's text log. Every line carries the milliseconds since the previous
// line ("+%lu\t") or a bare tab for the first line and lines in the same
// millisecond. Callers tag their messages: print("%s(): %s", "name", text).
// Lines are buffered here, not by a stream, so that a crash handler can still
// write out what the log holds.
#include "util/UString.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <mutex>

class RuntimeClass;
class SignalSafeFile;

class Logger {
public:
    // Opens (and empties) the log file in the user folder and writes the three
    // header lines. A log that cannot be opened is silently disabled; one whose
    // name is taken by something other than a regular file is left alone, and
    // standard error says so.
    Logger();
    virtual RuntimeClass* getClass();
    virtual ~Logger();

    static RuntimeClass runtimeClass;

    // printf-style; one line per call. Does nothing once the log is closed.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Writes what is buffered to the file (tests read the log while it is open).
    void flush();
    // Writes what is buffered once its first line is STALE_MS old (the frame
    // loop calls this), so that a hang or a kill loses at most that much.
    void flushStale();
    static const uint32_t STALE_MS = 1000;

    // Closes the log and copies it to the crash log in the user data folder,
    // whole or not at all (copyForCrash); an older crash log stays when it
    // cannot be written. Only the fatal-error path calls this; later prints
    // write nothing. A crash signal's handler on another thread waits for the
    // copy and follows it with its report, which ends the process.
    void saveCrashLog();
    // For both crash paths, async-signal-safe: puts the log file's bytes into
    // crash and, when the disk refused some of its lines, a line saying that
    // the log is cut.
    void copyForCrash(SignalSafeFile& crash) const;

    // For a signal handler: writes what is buffered, without locking or
    // allocating, and returns the open file (-1 when there is none).
    int flushFromSignal();
    // saveCrashLog has run: the log is closed, and its copy in place unless it
    // could not be written whole.
    bool isCrashCopySaved() const { return bCrashCopySaved; }
    // Async-signal-safe: waits while another thread writes the crash log (a
    // crash handler never lets go of it), then holds it for this thread.
    static void claimCrashLog();
    // For tests: runs in saveCrashLog between the copy and its commit.
    static void (*whileSavingCrashLog)();
    // A thread waits in claimCrashLog.
    static bool isCrashLogAwaited();
    // The disk refused some of the log's bytes (full, or a file-size limit).
    bool hasLostLines() const { return bLostLines; }

    const UString& getFileName() const { return fileName; }
    // Path of the crash copy ("crash." + build name + ".log" in the user data folder).
    static UString crashLogPath();
    // Where the crash log is written before it takes its name.
    static UString crashLogTempPath();

private:
    static UString chooseFileName();
    // Writes bytes to the file; a failed write (disk full, size limit) drops
    // them and marks the log as having lost lines.
    void writeAll(const char* bytes, size_t count);

    UString fileName;
    int fd = -1;
    static const size_t BUFFER_SIZE = 8192;
    char buffer[BUFFER_SIZE];
    size_t buffered = 0;
    uint32_t firstBufferedTicks = 0;
    uint32_t lastLineTicks = 0;
    bool bWroteLine = false;
    volatile bool bCrashCopySaved = false;
    volatile bool bLostLines = false;
    // The fatal path may run on the audio thread while the main thread logs.
    std::recursive_mutex lock;
};

// printf-style line tagged with the reporting operation ("tag(): message") in
// the engine's log; nothing when there is no engine or log.
void logTagged(const char* tag, const char* format, ...) __attribute__((format(printf, 2, 3)));
void logTaggedV(const char* tag, const char* format, va_list args);
