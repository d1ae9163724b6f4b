#pragma once
// Catches the X errors of OpenGL (GLX) requests while it lives. Xlib's own
// handler would print them and end the process: an X server that refuses
// OpenGL through the network (indirect rendering: ssh -X,
// LIBGL_ALWAYS_INDIRECT) answers the creation of a context with BadValue.
// Errors of other requests go on to the handler installed before.
#include "util/UString.h"

struct _XDisplay;

class GlxErrorTrap {
public:
    // display: the connection the GLX requests go through (null: nothing is caught).
    explicit GlxErrorTrap(_XDisplay* display);
    ~GlxErrorTrap();
    GlxErrorTrap(const GlxErrorTrap&) = delete;
    GlxErrorTrap& operator=(const GlxErrorTrap&) = delete;

    // Waits for the server's answers so far. Empty when no GLX request
    // failed; else what the server did and what to do, to follow the server's
    // name: "refuses its OpenGL context (...), as X servers do ...".
    UString refusal();

private:
    _XDisplay* display;
};
