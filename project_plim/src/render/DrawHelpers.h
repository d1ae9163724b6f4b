#pragma once
// Untextured 2D drawing in world units through the current camera: each resets
// the model-view matrix to the identity (and leaves it so) and draws from a
// temporary vertex buffer.
#include "util/Rect.h"
#include "util/UColor.h"

void drawFilledRect(const Rect& r, UColor c);
void drawRectOutline(const Rect& r, UColor c);
// From (left, top) in c0 to (right, bottom) in c1; c1 of 0 means c0.
void drawLine(const Rect& ends, UColor c0, UColor c1);
