#include "Logger.h"

#include "DateTime.h"
#include "FileStream.h"
#include "Plim.h"
#include "PlimUtil.h"
#include "RuntimeClass.h"

RuntimeClass Logger::runtimeClass("Logger", &Logger::runtimeClass, nullptr);

RuntimeClass* Logger::getClass() { return &runtimeClass; }

UString Logger::chooseFileName() {
    return getUserDataFolder(false) + PLIM_BUILD_NAME + ".log";
}

UString Logger::crashLogPath() {
    return getUserDataFolder(true) + "crash." + PLIM_BUILD_NAME + ".log";
}

Logger::Logger() : fileName(chooseFileName()) {
    file = new FileStream(fileName, FileStream::MODE_WRITE);
    if (!file->bOk) {
        delete file;
        file = nullptr;
    }
    print("Application: %s version %s", PLIM_BUILD_NAME, PLIM_VERSION_STRING);
    print("Log file: %s", fileName.c_str());
    print("Log date: %s UTC", dateTimeString(DateTime()).c_str());
}

Logger::~Logger() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    delete file;
    file = nullptr;
}

void Logger::print(const char* format, ...) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (!file)
        return;
    UString message;
    va_list args;
    va_start(args, format);
    formatStringV(message, format, args);
    va_end(args);

    uint32_t ticks = getTicks();
    // The first line and lines within the same millisecond carry no delta.
    if (!bWroteLine || ticks == lastLineTicks)
        file->writeLine(formatString("\t%s", message.c_str()));
    else
        file->writeLine(formatString("+%lu\t%s", (unsigned long)(uint32_t)(ticks - lastLineTicks),
                                     message.c_str()));
    lastLineTicks = ticks;
    bWroteLine = true;
}

void Logger::flush() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (file)
        file->flush();
}

void Logger::saveCrashLog() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (file) {
        file->flush();
        delete file;
        file = nullptr;
    }
    copyFile(fileName, crashLogPath());
}

void logTagged(const char* tag, const char* format, ...) {
    if (!PLIM || !PLIM->log) return;
    va_list args;
    va_start(args, format);
    UString message;
    formatStringV(message, format, args);
    va_end(args);
    PLIM->log->print("%s(): %s", tag, message.c_str());
}
