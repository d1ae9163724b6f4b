#pragma once
// A flat plate behind a line of text, so the text reads whatever the scene
// shows behind it: the rectangle the font's print takes for the text at that
// point with those flags, grown by a margin, in world units.
#include "UColor.h"
#include "UString.h"

class FontQuad;

namespace TextPlate {
constexpr float MARGIN = 3.0f;
// The plate's alpha is scaled by textAlpha (0..255), so it fades with its text.
void draw(const FontQuad* font, float x, float y, int flags, const UString& text, UColor plate, int textAlpha = 255);
} // namespace TextPlate
