#include "Logger.h"

#include "files/PrintableText.h"
#include "files/ReplaceFile.h"
#include "files/SignalSafeFile.h"
#include "util/DateTime.h"
#include "util/FileStream.h"
#include "Plim.h"
#include "util/PlimUtil.h"
#include "RuntimeClass.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

RuntimeClass Logger::runtimeClass("Logger", &Logger::runtimeClass, nullptr);

RuntimeClass* Logger::getClass() { return &runtimeClass; }

UString Logger::chooseFileName() {
    // Beside the saved files, which the running copy holds locked: never
    // shared with another copy, and writable where the data folder is not.
    return getUserDataFolder(true) + PLIM_BUILD_NAME + ".log";
}

UString Logger::crashLogPath() {
    return getUserDataFolder(true) + "crash." + PLIM_BUILD_NAME + ".log";
}

UString Logger::crashLogTempPath() { return crashLogPath() + TEMP_MARKER + SignalSafeFile::TEMP_ENDING; }

Logger::Logger() : fileName(chooseFileName()) {
    UString problem;
    fd = FileStream::openRegular(fileName, true, &problem);
    if (fd < 0 && problem == FileStream::NOT_REGULAR)
        fprintf(stderr, "%s: not writing the log to '%s': %s.\n", PLIM_BUILD_NAME,
                printableText(fileName).c_str(), problem.c_str());
    print("Application: %s version %s", PLIM_BUILD_NAME, PLIM_VERSION_STRING);
    print("Log file: %s", fileName.c_str());
    print("Log date: %s UTC", dateTimeString(DateTime()).c_str());
}

Logger::~Logger() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    flush();
    if (fd >= 0) close(fd);
    fd = -1;
}

void Logger::writeAll(const char* bytes, size_t count) {
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            bLostLines = true;
            return;
        }
        bytes += written;
        count -= size_t(written);
    }
}

void Logger::print(const char* format, ...) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (fd < 0)
        return;
    UString message;
    va_list args;
    va_start(args, format);
    formatStringV(message, format, args);
    va_end(args);

    uint32_t ticks = getTicks();
    // The first line and lines within the same millisecond carry no delta.
    UString line;
    if (!bWroteLine || ticks == lastLineTicks)
        line = formatString("\t%s\n", message.c_str());
    else
        line = formatString("+%lu\t%s\n", (unsigned long)(uint32_t)(ticks - lastLineTicks), message.c_str());
    lastLineTicks = ticks;
    bWroteLine = true;

    if (buffered + line.length() > BUFFER_SIZE) flush();
    if (line.length() > BUFFER_SIZE) {
        writeAll(line.c_str(), line.length());
        return;
    }
    if (buffered == 0) firstBufferedTicks = ticks;
    memcpy(buffer + buffered, line.c_str(), line.length());
    buffered += line.length();
}

void Logger::flush() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (fd >= 0) writeAll(buffer, buffered);
    buffered = 0;
}

void Logger::flushStale() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (buffered > 0 && uint32_t(getTicks() - firstBufferedTicks) >= STALE_MS) flush();
}

int Logger::flushFromSignal() {
    if (fd < 0) return -1;
    size_t count = buffered;
    buffered = 0;
    writeAll(buffer, count < BUFFER_SIZE ? count : BUFFER_SIZE);
    return fd;
}

namespace {
// Thread writing the crash log (0: none). Both writers use one temporary file
// and the log's descriptor, so they take turns.
std::atomic<long> crashLogWriter{0};
std::atomic<bool> crashLogAwaited{false};
} // namespace

void (*Logger::whileSavingCrashLog)() = nullptr;

void Logger::claimCrashLog() {
    const long self = syscall(SYS_gettid);
    for (long owner = 0; !crashLogWriter.compare_exchange_strong(owner, self) && owner != self; owner = 0) {
        crashLogAwaited = true;
        const timespec nap = {0, 1000000};
        nanosleep(&nap, nullptr);
    }
}

bool Logger::isCrashLogAwaited() { return crashLogAwaited; }

void Logger::saveCrashLog() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    claimCrashLog();
    if (fd >= 0) {
        flush();
        close(fd);
        fd = -1;
    }
    // Replaces an older crash log only once it is whole.
    const UString path = crashLogPath(), temp = crashLogTempPath();
    SignalSafeFile crash(path.c_str(), temp.c_str());
    copyForCrash(crash);
    if (whileSavingCrashLog) whileSavingCrashLog();
    crash.commit();
    bCrashCopySaved = true;
    crashLogWriter = 0;
    // A crash handler waiting on another thread adds its report to this copy
    // and ends the process; an exit here could cut its file short.
    if (crashLogAwaited)
        for (;;) pause();
}

void Logger::copyForCrash(SignalSafeFile& crash) const {
    crash.copyFrom(fileName.c_str());
    if (bLostLines) crash.put("\terror(): This log is cut: its disk refused some of its lines.\n");
}

void logTagged(const char* tag, const char* format, ...) {
    va_list args;
    va_start(args, format);
    logTaggedV(tag, format, args);
    va_end(args);
}

void logTaggedV(const char* tag, const char* format, va_list args) {
    if (!PLIM || !PLIM->log) return;
    UString message;
    formatStringV(message, format, args);
    PLIM->log->print("%s(): %s", tag, message.c_str());
}
