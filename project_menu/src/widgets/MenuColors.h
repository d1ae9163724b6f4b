#pragma once
#include "util/UColor.h"

// Texts first drawn in black at half alpha for light art. Half-alpha black
// reads at 3.98:1 at best, even over white, so titles and hints on their white
// plates are a shade deeper (5.0:1), and disabled captions on the dark widgets
// are a dim white instead of an invisible dark grey.
namespace MenuColors {
inline UColor plateText() { return UColor(0, 0, 0, 144); }
inline UColor disabledCaption() { return UColor(255, 255, 255, 96); }
} // namespace MenuColors
