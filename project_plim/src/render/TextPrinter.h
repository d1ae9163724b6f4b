#pragma once
// Text drawing as the engine's own debug displays need it; the text layer's
// fonts implement it, so engine code can print without depending on them.
#include "util/UColor.h"
#include "util/UString.h"

class TextPrinter {
public:
    virtual ~TextPrinter() = default;
    // Draws the text at a point; flags are the font's alignment flags.
    virtual void printAt(float x, float y, float z, UColor colour, int flags, const UString& text) = 0;
};
