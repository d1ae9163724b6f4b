#pragma once
// Fatal errors: one report path that never returns. It marks the engine as
// shutting down, writes the message to the log and to standard output
// ("*** ERROR *** %s\n"; tools send it to standard error, setErrorStream), logs "Forced exit.", copies the log to the crash log
// (whole, or not at all: an older one stays) and ends the process with status 255. Callable from any thread and before the
// ErrorManager object exists.
#include "util/UString.h"

#include <cstdarg>

class RuntimeClass;

class ErrorManager {
public:
    ErrorManager();
    virtual RuntimeClass* getClass();
    virtual ~ErrorManager();

    static RuntimeClass runtimeClass;

    [[noreturn]] static void error(const char* format, ...) __attribute__((format(printf, 1, 2)));
    [[noreturn]] static void errorV(const char* format, va_list args);

    // "Error: %s\n Statement: %s\n Function: %s()\n File: %s\n Line: %d"
    [[noreturn]] static void assertionFailed(const char* message, const char* statement,
                                             const char* function, const char* file, int line);
    // "Error: %s\n Function: %s()\n File: %s\n Line: %d", the message built from format.
    [[noreturn]] static void errorAt(const char* function, const char* file, int line,
                                     const char* format, ...) __attribute__((format(printf, 4, 5)));

    // Start-up found no window or OpenGL to run on: a set-up problem, not a
    // fault. One plain line on standard error (and in the log), SDL shut down
    // so that a terminal its driver took over is given back, status 1; no
    // crash log, so the next start offers no report.
    [[noreturn]] static void cannotStart(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // Name of an OpenGL error code ("GL_INVALID_ENUM", ..., "Unknown error.").
    static UString getGLErrorString(unsigned int code);
    // Where the fatal path saves its screenshot ("crash." + build name + ".jpg"
    // in the user data folder).
    static UString crashScreenshotPath();

private:
    static void restoreDisplay();
};

// Fatal unless the statement holds: "Assertion failed." with the statement's text.
#define PLIM_ASSERT(statement)                                                              \
    do {                                                                                    \
        if (!(statement))                                                                   \
            ErrorManager::assertionFailed("Assertion failed.", #statement, __func__,        \
                                          __FILE__, __LINE__);                              \
    } while (0)

// As PLIM_ASSERT with a more telling message (a C string or a UString).
#define PLIM_ASSERT_MSG(statement, message)                                                 \
    do {                                                                                    \
        if (!(statement))                                                                   \
            ErrorManager::assertionFailed(UString(message).c_str(), #statement, __func__,   \
                                          __FILE__, __LINE__);                              \
    } while (0)

// Located fatal error; the arguments are a printf-style message and its values:
// PLIM_ERROR("Could not find resource '%s'.", name.c_str());
#define PLIM_ERROR(...) ErrorManager::errorAt(__func__, __FILE__, __LINE__, __VA_ARGS__)
