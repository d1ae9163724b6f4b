#include "TextPhrase.h"

#include "FontQuad.h"

TextPhrase::TextPhrase(const UString& text, FontQuad* font, UColor colour)
    : text(text), colour(colour) {
    width = font->getTextWidth(text, nullptr).width;
}

TextPhrase::~TextPhrase() {}
