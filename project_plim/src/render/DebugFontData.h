#pragma once
// Glyphs of the built-in debug font, codes 0 to 127.
// debugFontWidths[c]: glyph width in pixels (1 to 5).
// debugFontRows[9*c + r]: pixel row r counted from the bottom (glBitmap order);
// bit 7 is the leftmost pixel. Rows 0 and 1 are descenders, rows 2 to 8 the body.
#include <cstdint>

constexpr int DEBUG_FONT_HEIGHT = 9;
constexpr int DEBUG_FONT_GLYPHS = 128;

extern const int32_t (&debugFontWidths)[DEBUG_FONT_GLYPHS];
extern const uint8_t (&debugFontRows)[DEBUG_FONT_GLYPHS * DEBUG_FONT_HEIGHT];
