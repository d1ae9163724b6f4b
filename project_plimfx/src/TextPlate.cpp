#include "TextPlate.h"

#include "render/DrawHelpers.h"
#include "FontQuad.h"
#include "render/Renderable.h"
#include "StretchSkin.h"

#include <algorithm>
#include <string>

Rect TextPlate::textRect(const FontQuad* font, float x, float y, int flags, const UString& text) {
    const float w = float(font->getTextWidth(text, nullptr).width);
    float left = x;
    if (flags & FontQuad::PRINT_CENTER) left -= float(int(w) / 2);
    if (flags & FontQuad::PRINT_RIGHT) left -= w;
    float top = y;
    if (flags & FontQuad::PRINT_VCENTER) top += float(font->fontHeight / 2);
    if (flags & FontQuad::PRINT_BOTTOM) top += float(font->fontHeight);
    if (flags & FontQuad::PRINT_BASELINE) top += float(font->letterHeight);
    return Rect(left, top, left + w, top - float(font->fontHeight));
}

Rect TextPlate::plateRect(const FontQuad* font, float x, float y, int flags, const UString& text) {
    const Rect r = textRect(font, x, y, flags, text);
    return Rect(r.left - MARGIN, r.top + MARGIN, r.right + MARGIN, r.bottom - MARGIN);
}

Rect TextPlate::frameRect(const FontQuad* font, float x, float y, int flags, const UString& text, float marginX) {
    const Rect r = textRect(font, x, y, flags, text);
    return Rect(r.left - marginX, r.top + FRAME_MARGIN_Y, r.right + marginX, r.bottom - FRAME_MARGIN_Y);
}

Rect TextPlate::inkRect(const FontQuad* font, float x, float y, int flags, const UString& text) {
    Rect r = textRect(font, x, y, flags, text);
    const std::string s = text.c_str();
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return Rect(r.left, r.top, r.left, r.bottom);
    const size_t last = s.find_last_not_of(' ');
    // No blanks at either end (most lines): the letters take the whole text.
    if (first == 0 && last + 1 == s.size()) return r;
    r.left += float(font->getTextWidth(text.substr(0, first), nullptr).width);
    r.right = r.left + float(font->getTextWidth(text.substr(first, last + 1 - first), nullptr).width);
    return r;
}

void TextPlate::draw(const FontQuad* font, float x, float y, int flags, const UString& text, UColor plate,
                     int textAlpha) {
    if (!font || text.isEmpty() || plate.a == 0 || textAlpha <= 0) return;
    plate.a = uint8_t(int(plate.a) * std::min(textAlpha, 255) / 255);
    drawFilledRect(plateRect(font, x, y, flags, text), plate);
}

void TextPlate::drawFrame(StretchSkin* frame, const FontQuad* font, float x, float y, int flags,
                          const UString& text, int alpha, float marginX) {
    if (!frame || !font || text.isEmpty()) return;
    drawFrameOver(frame, frameRect(font, x, y, flags, text, marginX), alpha);
}

void TextPlate::drawFrameOver(StretchSkin* frame, const Rect& r, int alpha) {
    if (!frame || alpha <= 0) return;
    // Never smaller than its corners.
    const float w = std::max(r.right - r.left, float(frame->borderLeft + frame->borderRight));
    const float h = std::max(r.top - r.bottom, float(frame->borderTop + frame->borderBottom));
    if (frame->width != w || frame->height != h) frame->setSize(w, h);
    Renderable plate;
    const V3 at(0.5f * (r.left + r.right), 0.5f * (r.top + r.bottom), 0.0f);
    plate.setup(frame, &at, nullptr, nullptr);
    plate.color.a = uint8_t(std::min(alpha, 255));
    plate.render();
}
