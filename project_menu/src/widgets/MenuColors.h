#pragma once
#include "util/UColor.h"

// Texts first drawn in black at half alpha for light art. Half-alpha black
// reads at 3.98:1 at best, even over white, and less still on the thin,
// filtered strokes of a window larger than the view, so titles and hints on
// their white plates are a deep translucent black (5:1 on the small font's
// strokes at 1024 x 768). Disabled captions on the dark widgets are a dim
// white instead of an invisible dark grey, and a key shown but not editable a
// brighter one.
namespace MenuColors {
inline UColor plateText() { return UColor(0, 0, 0, 224); }
inline UColor disabledCaption() { return UColor(255, 255, 255, 96); }
inline UColor fixedKey() { return UColor(184, 184, 184, 255); }
// Over the screen beneath a frame or dialog: it stays in sight, set apart.
inline UColor behindFrame() { return UColor(0, 0, 0, 128); }
} // namespace MenuColors
