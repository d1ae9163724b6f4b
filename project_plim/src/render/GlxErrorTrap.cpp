#include "GlxErrorTrap.h"

#include "util/PlimUtil.h"

#include <X11/Xlib.h>

namespace {

// Minor code of the context's creation in the GLX protocol.
const int GLX_CREATE_CONTEXT = 3;

// Xlib keeps one handler for the process: the trap's state is the process's too.
XErrorHandler previousHandler = nullptr;
int glxOpcode = -1;
bool caught = false;
XErrorEvent firstError;

int onError(Display* display, XErrorEvent* error) {
    if (glxOpcode < 0 || error->request_code != glxOpcode) return previousHandler ? previousHandler(display, error) : 0;
    if (!caught) firstError = *error;
    caught = true;
    return 0;
}

} // namespace

GlxErrorTrap::GlxErrorTrap(_XDisplay* display) : display(display) {
    caught = false;
    glxOpcode = -1;
    if (!display) return;
    int event = 0, error = 0;
    if (!XQueryExtension(display, "GLX", &glxOpcode, &event, &error)) glxOpcode = -1;
    XSync(display, False);
    previousHandler = XSetErrorHandler(onError);
}

GlxErrorTrap::~GlxErrorTrap() {
    if (!display) return;
    XSync(display, False);
    XSetErrorHandler(previousHandler);
    previousHandler = nullptr;
    glxOpcode = -1;
}

UString GlxErrorTrap::refusal() {
    if (!display) return UString();
    XSync(display, False);
    if (!caught) return UString();
    char name[128] = "";
    XGetErrorText(display, firstError.error_code, name, sizeof name);
    const UString request = firstError.minor_code == GLX_CREATE_CONTEXT
                                ? UString("X_GLXCreateContext")
                                : formatString("GLX request %d", int(firstError.minor_code));
    return formatString("refuses its OpenGL context (%s in %s), as X servers do for OpenGL through "
                        "the network (ssh -X, LIBGL_ALWAYS_INDIRECT): unset LIBGL_ALWAYS_INDIRECT, or run it on that "
                        "machine's own display",
                        name, request.c_str());
}
