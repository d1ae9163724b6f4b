#pragma once
// What a frame or dialog floating over another screen shows behind itself:
// the nearest screen beneath it on the stack that is not finished (a screen
// that closed as it opened this one is gone from the picture at once),
// dimmed, so that no widget of it looks part of the frame where the frame's
// edge crosses it.
class Context;

namespace ScreenBeneath {
// The screen to show behind this one; null when there is none.
Context* find(const Context* over);
// Draws it and dims it; the caller draws itself afterwards.
void render(Context* over);
} // namespace ScreenBeneath
