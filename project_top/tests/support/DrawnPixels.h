#pragma once
// Objects drawn alone in the window (Mesa under Xvfb) and read back: the
// window pixel under a world point through the default 640 x 480 view.
#include "util/UColor.h"

#include <vector>

class Renderable;

namespace DrawnPixels {
// Draws the objects alone through the default 640 x 480 view.
void drawAlone(const std::vector<Renderable*>& objects, UColor background);
// The window pixel under world point (x, y) at depth 0.
UColor worldPixel(int x, int y);
// Alike within what blending and filtering shift.
bool same(UColor a, UColor b);
// Pixels unlike the background within a square of half-size r around (x, y).
int drawnAround(int x, int y, int r, UColor background);
} // namespace DrawnPixels
