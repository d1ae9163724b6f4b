#pragma once
// One line of a paragraph, split at its colour codes into TextPhrase children.
// A colour code is byte 0x1E and 8 characters "{rrggbb}"; "{000001}" gives
// NO_COLOUR. Every line starts in NO_COLOUR.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/UString.h"

#include <cstdint>

class FontQuad;

class TextLine : public PlimBase {
public:
    // Byte that starts a colour code, and the length of the code after it.
    static constexpr char COLOUR_CODE = '\x1e';
    static constexpr int COLOUR_CODE_LENGTH = 8;
    // Stands for the default colour of whoever shows the text.
    static const UColor NO_COLOUR;

    TextLine(UString text, FontQuad* font);
    ~TextLine() override;

    // The colour of a code; fatal when it cannot be read.
    static UColor parseColourCode(const UString& code);

    int32_t width = 0; // sum of the phrase widths
};
