#pragma once
// A string wrapped to a width in pixels: one TextLine child per line, top line
// first. "|" forces a break, a space is where a line may break; colour codes
// take no room. Layout data only: nothing here draws.
#include "core/PlimBase.h"
#include "util/UString.h"

#include <cstdint>

class FontQuad;

class TextParagraph : public PlimBase {
public:
    TextParagraph(UString text, FontQuad* font, int maxWidth);
    ~TextParagraph() override;

    int32_t width = 0; // widest line; 0 without lines
};
