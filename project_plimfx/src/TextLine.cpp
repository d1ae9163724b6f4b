#include "TextLine.h"

#include "core/ErrorManager.h"
#include "TextPhrase.h"

#include <cctype>
#include <cstdio>

const UColor TextLine::NO_COLOUR(0, 0, 1, 0);

TextLine::TextLine(UString text, FontQuad* font) {
    static const char codeByte[] = {COLOUR_CODE, '\0'};
    UColor colour = NO_COLOUR;
    for (;;) {
        int code = text.find(codeByte);
        if (code < 0 && text.isEmpty()) break;
        UString phrase;
        if (code < 0) {
            phrase = text;
            text = UString();
        } else {
            phrase = text.substr(0, code);
            text = text.substr(code + 1);
        }
        if (!phrase.isEmpty()) addChild(new TextPhrase(phrase, font, colour));
        if (code >= 0) {
            // A code cut short by the end of the line cannot be read either.
            if (text.length() < size_t(COLOUR_CODE_LENGTH))
                ErrorManager::errorAt("TextLine", __FILE__, __LINE__,
                                      "Couldn't extract markup from line '%s'", text.c_str());
            colour = parseColourCode(text.substr(0, COLOUR_CODE_LENGTH));
            text = text.substr(COLOUR_CODE_LENGTH);
        }
    }
    for (BasicLink* link = firstChild; link; link = link->next)
        if (!link->bDestroyPending && !link->bSkip) width += static_cast<TextPhrase*>(link)->width;
}

TextLine::~TextLine() {}

UColor TextLine::parseColourCode(const UString& code) {
    unsigned int value = 0;
    // sscanf alone would also take a sign or blanks before the digits.
    bool readable = code.length() >= 2 && code[0] == '{' && isxdigit((unsigned char)code[1]) &&
                    sscanf(code.c_str(), "{%08x}", &value) == 1;
    if (!readable)
        ErrorManager::errorAt("TextLine", __FILE__, __LINE__,
                              "Couldn't extract markup from line '%s'", code.c_str());
    if (value == 1) return NO_COLOUR;
    return UColor(uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value), 255);
}
