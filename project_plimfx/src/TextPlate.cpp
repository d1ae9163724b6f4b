#include "TextPlate.h"

#include "DrawHelpers.h"
#include "FontQuad.h"

#include <algorithm>

void TextPlate::draw(const FontQuad* font, float x, float y, int flags, const UString& text, UColor plate,
                     int textAlpha) {
    if (!font || text.isEmpty() || plate.a == 0 || textAlpha <= 0) return;
    const float w = float(font->getTextWidth(text, nullptr).width);
    float left = x;
    if (flags & FontQuad::PRINT_CENTER) left -= float(int(w) / 2);
    if (flags & FontQuad::PRINT_RIGHT) left -= w;
    float top = y;
    if (flags & FontQuad::PRINT_VCENTER) top += float(font->fontHeight / 2);
    if (flags & FontQuad::PRINT_BOTTOM) top += float(font->fontHeight);
    if (flags & FontQuad::PRINT_BASELINE) top += float(font->letterHeight);
    plate.a = uint8_t(int(plate.a) * std::min(textAlpha, 255) / 255);
    drawFilledRect(Rect(left - MARGIN, top + MARGIN, left + w + MARGIN, top - float(font->fontHeight) - MARGIN), plate);
}
