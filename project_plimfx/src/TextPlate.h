#pragma once
// A plate behind a line of text, so the text reads whatever the scene shows
// behind it: the rectangle the font's print takes for the text at that point
// with those flags, grown by a margin, in world units; flat, or a frame
// picture stretched over it.
#include "util/Rect.h"
#include "util/UColor.h"
#include "util/UString.h"

class FontQuad;
class StretchSkin;

namespace TextPlate {
constexpr float MARGIN = 3.0f;
// Framed plates reach further sideways, past the rounded corners.
constexpr float FRAME_MARGIN_X = 7.0f;
constexpr float FRAME_MARGIN_Y = 3.0f;
// The rectangle the text takes (empty text: zero width).
Rect textRect(const FontQuad* font, float x, float y, int flags, const UString& text);
// The flat plate's rectangle: the text's grown by MARGIN.
Rect plateRect(const FontQuad* font, float x, float y, int flags, const UString& text);
// A frame's rectangle: the text's grown by the frame margins.
Rect frameRect(const FontQuad* font, float x, float y, int flags, const UString& text, float marginX = FRAME_MARGIN_X);
// The part of it the letters take: without the blanks at either end (zero
// width when there are only blanks).
Rect inkRect(const FontQuad* font, float x, float y, int flags, const UString& text);
// The plate's alpha is scaled by textAlpha (0..255), so it fades with its text.
void draw(const FontQuad* font, float x, float y, int flags, const UString& text, UColor plate, int textAlpha = 255);
// The frame stretched over the text's rectangle grown by the margins.
void drawFrame(StretchSkin* frame, const FontQuad* font, float x, float y, int flags, const UString& text,
               int alpha = 255, float marginX = FRAME_MARGIN_X);
// The frame stretched over a rectangle.
void drawFrameOver(StretchSkin* frame, const Rect& r, int alpha = 255);
} // namespace TextPlate
