#pragma once
// Whether the game can open its window before anything starts: it draws with
// OpenGL, which of SDL's video drivers only X11 offers; the others (dummy, a
// frame buffer, text on the terminal) would fail later, after taking over the
// terminal.
#include <string>

// Empty when SDL is to run its X11 driver and the X display opens, offers
// OpenGL (GLX) and grants an OpenGL context; else one line saying why not and how to run the game
// (program, as started) under Xvfb.
std::string missingDisplayMessage(const std::string& program);
