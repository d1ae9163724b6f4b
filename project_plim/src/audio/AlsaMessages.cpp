#include "AlsaMessages.h"

#include "core/Logger.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace {

// ALSA's own types: the game is built without ALSA's headers and library.
typedef void (*ErrorHandler)(const char* file, int line, const char* function, int error, const char* format, ...);
typedef int (*SetErrorHandler)(ErrorHandler handler);
typedef const char* (*ErrorText)(int error);

ErrorText errorText = nullptr;

// ALSA's default wording, into the log.
void toLog(const char* file, int line, const char* function, int error, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const char* reason = error && errorText ? errorText(error) : nullptr;
    logTagged("ALSA", "%s:%d:(%s) %s%s%s", file ? file : "", line, function ? function : "", text,
              reason ? ": " : "", reason ? reason : "");
}

} // namespace

void AlsaMessages::routeToLog() {
    // SDL tries ALSA only when it names no driver, or ALSA itself.
    const char* driver = getenv("SDL_AUDIODRIVER");
    if (driver && *driver && strcmp(driver, "alsa") != 0) return;
    // Kept loaded for good: SDL loads the same library, and the handler must
    // stay set through every load and unload of SDL's.
    static void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library) return;
    SetErrorHandler setHandler = reinterpret_cast<SetErrorHandler>(dlsym(library, "snd_lib_error_set_handler"));
    errorText = reinterpret_cast<ErrorText>(dlsym(library, "snd_strerror"));
    if (setHandler) setHandler(&toLog);
}
