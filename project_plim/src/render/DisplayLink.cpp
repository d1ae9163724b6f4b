#include "DisplayLink.h"

#include "core/Logger.h"
#include "core/Plim.h"
#include "files/PrintableText.h"
#include "util/PlimUtil.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void (*endInOrder)() = nullptr;
bool lost = false;

// Xlib ends the process when this returns; it never does the first time.
int onIOError(Display* display) {
    // The orderly end touched X again after all: Xlib ends the process.
    if (lost) return 0;
    lost = true;
    const char* name = DisplayString(display);
    const std::string displayName = printableText(std::string(name ? name : ""));
    logTagged("onIOError", "Lost the connection to the display '%s': shutting down.", displayName.c_str());
    if (endInOrder) endInOrder();
    // An engine still starting has saved nothing yet; its log keeps the line.
    if (PLIM && PLIM->log) PLIM->log->flush();
    fprintf(stderr, "%s: the connection to the display '%s' was lost; the game has ended.\n", PLIM_BUILD_NAME,
            displayName.c_str());
    fflush(nullptr);
    // No exit handlers: the libraries' own would talk to the display again.
    _exit(1);
}

} // namespace

void DisplayLink::onLoss(void (*orderlyEnd)()) {
    endInOrder = orderlyEnd;
    XSetIOErrorHandler(onIOError);
}

bool DisplayLink::isLost() { return lost; }

_XDisplay* DisplayLink::sdlDisplay() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (lost || SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) return nullptr;
    return info.info.x11.display;
}

bool DisplayLink::takePointer() {
    if (lost) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11) return true;
    Display* display = info.info.x11.display;
    if (!display) return true;
    info.info.x11.lock_func();
    // Before the first mode is set there is no window: the root stands in,
    // and SDL's grab of its new window then changes our grab.
    const Window window = info.info.x11.window;
    const int result = XGrabPointer(display, window ? window : DefaultRootWindow(display), True, 0, GrabModeAsync,
                                    GrabModeAsync, window ? window : None, None, CurrentTime);
    info.info.x11.unlock_func();
    return result == GrabSuccess;
}
