#pragma once
// One run of a laid-out line in one colour, with its width in pixels.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/UString.h"

#include <cstdint>

class FontQuad;

class TextPhrase : public PlimBase {
public:
    TextPhrase(const UString& text, FontQuad* font, UColor colour);
    ~TextPhrase() override;

    UString text;
    int32_t width = 0;
    UColor colour; // NO_COLOUR: the user's default colour
};
