#pragma once
// Whether the game can open its window before anything starts: without a
// display SDL would fall back to a driver that draws on the terminal.
#include <string>

// Empty when SDL is to run a video driver other than X11 (SDL_VIDEODRIVER) or
// the X display opens; else one line saying why not and how to run the game
// (program, as started) under Xvfb.
std::string missingDisplayMessage(const std::string& program);
