#pragma once
// The pictures of our own art under the menu texts that stand on the sky
// backdrop: the dark text plate (page titles, captions beside their boxes, the
// hint line), the group panel (blocks of text) and the light plate (texts in
// translucent black). Each is a new stretchable frame of "gui-game-square";
// null where that sub-image is not loaded, and then nothing is drawn.
#include "util/UString.h"

class RenderableText;
class StretchSkin;

namespace MenuPlate {
enum Kind { TEXT_PLATE, PANEL, LIGHT_PLATE };
StretchSkin* newFrame(Kind kind = TEXT_PLATE);
// Gives the label a frame of that kind behind its text (it owns it).
void give(RenderableText* label, Kind kind = TEXT_PLATE);
// A new page title: large white text centred 50 units below the view's top,
// on a text plate.
RenderableText* pageTitle(const UString& text);
} // namespace MenuPlate
