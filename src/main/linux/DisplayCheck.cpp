#include "DisplayCheck.h"

#include "files/PrintableText.h"
#include "util/PlimUtil.h"

#include <X11/Xlib.h>
#include <cstdlib>
#include <strings.h>

std::string missingDisplayMessage(const std::string& program) {
    const char* driver = getenv("SDL_VIDEODRIVER");
    const char* name = getenv("DISPLAY");
    std::string why;
    if (driver && *driver && strcasecmp(driver, "x11") != 0) {
        why = "SDL_VIDEODRIVER asks for SDL's '" + printableText(std::string(driver)) +
              "' driver, which has no OpenGL (unset it)";
    } else if (!name || !*name) {
        why = "DISPLAY is not set";
    } else {
        // Kept open for the run: when the only client leaves, a server started
        // without -noreset (as xvfb-run starts it) resets, and SDL's own
        // connection a moment later would fail.
        static Display* display = XOpenDisplay(name);
        int opcode = 0, event = 0, error = 0;
        if (display && XQueryExtension(display, "GLX", &opcode, &event, &error)) return std::string();
        why = "the display '" + printableText(std::string(name)) +
              (display ? "' offers no OpenGL (GLX)" : "' cannot be opened");
    }
    return std::string(PLIM_BUILD_NAME) + " needs an X display, and " + why +
           ". Without a screen, run it under Xvfb: xvfb-run -a -s '-screen 0 1024x768x24' " + program + "\n";
}
