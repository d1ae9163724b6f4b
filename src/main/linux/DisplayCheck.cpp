#include "DisplayCheck.h"

#include "util/PlimUtil.h"

#include <X11/Xlib.h>
#include <cstdlib>
#include <cstring>

std::string missingDisplayMessage(const std::string& program) {
    const char* driver = getenv("SDL_VIDEODRIVER");
    if (driver && *driver && strcmp(driver, "x11") != 0) return std::string();
    const char* name = getenv("DISPLAY");
    std::string why;
    if (!name || !*name) {
        why = "DISPLAY is not set";
    } else {
        // Kept open for the run: when the only client leaves, a server started
        // without -noreset (as xvfb-run starts it) resets, and SDL's own
        // connection a moment later would fail.
        static Display* display = XOpenDisplay(name);
        if (display) return std::string();
        why = "the display '" + std::string(name) + "' cannot be opened";
    }
    return std::string(PLIM_BUILD_NAME) + " needs an X display, and " + why +
           ". Without a screen, run it under Xvfb: xvfb-run -a -s '-screen 0 1024x768x24' " + program + "\n";
}
