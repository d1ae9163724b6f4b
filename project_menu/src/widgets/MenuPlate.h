#pragma once
// The pictures of our own art under the menu texts that stand on the sky
// backdrop: the dark text plate (page titles, captions beside their boxes, the
// hint line) and the group panel (blocks of text). Each is a new stretchable
// frame of "gui-game-square"; null where that sub-image is not loaded, and
// then nothing is drawn.
#include "util/Rect.h"
#include "util/UString.h"

#include <vector>

class RenderableText;
class StretchSkin;

namespace MenuPlate {
enum Kind { TEXT_PLATE, PANEL };
// The room between a block's text and its panel's edges. A line's cell has
// room of its own above its letters and below their baseline, so the sides
// take a little more to look even.
constexpr float BLOCK_MARGIN_X = 14.0f;
constexpr float BLOCK_MARGIN_Y = 10.0f;
StretchSkin* newFrame(Kind kind = TEXT_PLATE);
// Gives the label a frame of that kind behind its text (it owns it).
void give(RenderableText* label, Kind kind = TEXT_PLATE);
// One panel frame behind a block of text (lines that read as one): over the
// rectangles of their letters, grown by the block margins; nothing for none.
void drawBlockPanel(StretchSkin* panel, const std::vector<Rect>& letters, int alpha = 255);
// The rectangles of the labels' letters (blanks at either end left out).
std::vector<Rect> lettersOf(const std::vector<const RenderableText*>& labels);
// A new page title: large white text centred 50 units below the view's top,
// on a text plate.
RenderableText* pageTitle(const UString& text);
} // namespace MenuPlate
