#include "DisplayCheck.h"

#include "StartLine.h"

#include "files/PrintableText.h"
#include "render/GlxErrorTrap.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <cstdlib>
#include <strings.h>

namespace {

// A server may offer GLX and still refuse the context the game would get
// (OpenGL through the network): why, or empty when it accepts one.
std::string refusedContext(Display* display) {
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual) return std::string();  // opening the window says so
    GlxErrorTrap trap(display);
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    const UString refused = trap.refusal();
    if (context) glXDestroyContext(display, context);
    XFree(visual);
    return refused.str();
}

} // namespace

std::string missingDisplayMessage(const std::string& program) {
    const char* driver = getenv("SDL_VIDEODRIVER");
    const char* name = getenv("DISPLAY");
    std::string why;
    if (driver && *driver && strcasecmp(driver, "x11") != 0) {
        why = "SDL_VIDEODRIVER asks for SDL's " + quotedValue(driver) + " driver, which has no OpenGL (unset it)";
    } else if (!name || !*name) {
        why = "DISPLAY is not set";
    } else {
        // Kept open for the run: when the only client leaves, a server started
        // without -noreset (as xvfb-run starts it) resets, and SDL's own
        // connection a moment later would fail.
        static Display* display = XOpenDisplay(name);
        int opcode = 0, event = 0, error = 0;
        const std::string shown = "the display " + quotedValue(name);
        if (!display) {
            why = shown + " cannot be opened";
        } else if (!XQueryExtension(display, "GLX", &opcode, &event, &error)) {
            why = shown + " offers no OpenGL (GLX)";
        } else {
            const std::string refused = refusedContext(display);
            if (refused.empty()) return std::string();
            why = shown + " " + refused;
        }
    }
    return startLine(" needs an X display, and " + why +
                     ". Without a screen, run it under Xvfb: xvfb-run -a -s '-screen 0 1024x768x24' " +
                     printableText(program));
}
