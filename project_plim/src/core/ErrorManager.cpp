#include "ErrorManager.h"

#include "Logger.h"
#include "Plim.h"
#include "input/PlimInput.h"
#include "render/PlimGraphics.h"
#include "util/PlimUtil.h"
#include "RuntimeClass.h"

#include <SDL.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sys/types.h>
#include <unistd.h>

namespace {

// Thread that owns the fatal path (0: none). A second thread raising an error
// while the first is on the way out would interleave a second report and could
// touch the log after it was copied, so it waits for the process to end.
std::atomic<pid_t> fatalOwner{0};
// Passes of the owner through the fatal path; only the owner touches these.
int fatalDepth = 0;
bool exiting = false;

bool isMainThread() { return gettid() == getpid(); }

// Keeps every other thread out; counts passes of the owning thread.
void enterFatalPath() {
    pid_t self = gettid();
    pid_t expected = 0;
    if (!fatalOwner.compare_exchange_strong(expected, self) && expected != self) {
        for (;;)
            pause();
    }
    ++fatalDepth;
}

[[noreturn]] void endProcess(bool mainThread) {
    fflush(stdout);
    if (mainThread && !exiting) {
        exiting = true;
        forceExit();
    }
    // Off the main thread (or from an exit handler) nothing else may run.
    _exit(255);
}

} // namespace

RuntimeClass ErrorManager::runtimeClass("ErrorManager", &ErrorManager::runtimeClass, nullptr);

RuntimeClass* ErrorManager::getClass() { return &runtimeClass; }

ErrorManager::ErrorManager() { logTagged("ErrorManager", "Starting..."); }

ErrorManager::~ErrorManager() {}

// Main thread only: the window and the OpenGL context belong to it.
UString ErrorManager::crashScreenshotPath() {
    return getUserDataFolder(true) + "crash." + PLIM_BUILD_NAME + ".jpg";
}

void ErrorManager::restoreDisplay() {
    if (!PLIM) return;
    if (PLIM->input) {
        // Never waits for a pointer that another program holds.
        PLIM->input->dropSystemGrab();
        SDL_ShowCursor(SDL_ENABLE);
    }
    PlimGraphics* graphics = PLIM->graphics;
    if (!graphics) return;
    // Taken before anything below changes the screen. The report sent at the
    // next start holds no older picture.
    if (!graphics->saveScreenshot(crashScreenshotPath())) unlink(crashScreenshotPath().c_str());
    if (graphics->bFullScreen) {
        // Cleared first: should the mode set fail, the second pass skips it.
        graphics->bFullScreen = false;
        graphics->restorePresentation();
    }
    graphics->onFatalError();
}

void ErrorManager::errorV(const char* format, va_list args) {
    enterFatalPath();
    const bool mainThread = isMainThread();
    UString message;
    formatStringV(message, format, args);
    if (fatalDepth > 2 || exiting) {
        // The report itself keeps failing: say what we can and leave.
        printError(message);
        endProcess(false);
    }

    if (PLIM)
        PLIM->bShutdown = true;
    if (mainThread)
        restoreDisplay();

    Logger* log = PLIM ? PLIM->log : nullptr;
    if (log)
        log->print("%s(): %s", "error", message.c_str());
    printError(message);
    if (log) {
        log->print("%s(): %s", "error", "Forced exit.");
        log->saveCrashLog();
    }
    endProcess(mainThread);
}

void ErrorManager::error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    errorV(format, args);
}

void ErrorManager::assertionFailed(const char* message, const char* statement,
                                   const char* function, const char* file, int line) {
    error("Error: %s\n Statement: %s\n Function: %s()\n File: %s\n Line: %d", message,
          statement, function, file, line);
}

void ErrorManager::errorAt(const char* function, const char* file, int line,
                           const char* format, ...) {
    va_list args;
    va_start(args, format);
    UString message;
    formatStringV(message, format, args);
    va_end(args);
    error("Error: %s\n Function: %s()\n File: %s\n Line: %d", message.c_str(), function, file,
          line);
}

void ErrorManager::cannotStart(const char* format, ...) {
    va_list args;
    va_start(args, format);
    UString message;
    formatStringV(message, format, args);
    va_end(args);
    if (PLIM) PLIM->bShutdown = true;
    logTagged("cannotStart", "%s", message.c_str());
    if (PLIM && PLIM->log) PLIM->log->flush();
    SDL_Quit();
    fflush(stdout);
    fprintf(stderr, "%s\n", message.c_str());
    // Destructors and exit handlers would meet an engine only half built.
    _exit(1);
}

UString ErrorManager::getGLErrorString(unsigned int code) {
    switch (code) {
    case 0x0000: return "GL_NO_ERROR";
    case 0x0500: return "GL_INVALID_ENUM";
    case 0x0501: return "GL_INVALID_VALUE";
    case 0x0502: return "GL_INVALID_OPERATION";
    case 0x0503: return "GL_STACK_OVERFLOW";
    case 0x0504: return "GL_STACK_UNDERFLOW";
    case 0x0505: return "GL_OUT_OF_MEMORY";
    default: return "Unknown error.";
    }
}
