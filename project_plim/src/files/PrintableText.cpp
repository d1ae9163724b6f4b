#include "PrintableText.h"

#include <cstdint>
#include <cstdio>

namespace {

// Length of the well-formed UTF-8 sequence at s[i] of a printable character
// (not a C1 control), or 0.
size_t printableSequence(const std::string& s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7f) return 1;
    size_t n = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    uint32_t code = c & (0x7f >> n);
    for (size_t k = 1; k < n; ++k) {
        unsigned char next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xc0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3f);
    }
    static const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[n] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
    return code >= 0xa0 ? n : 0;
}

} // namespace

std::string printableText(const std::string& name) {
    std::string text;
    for (size_t i = 0; i < name.size();) {
        size_t n = printableSequence(name, i);
        if (n > 0) {
            text.append(name, i, n);
            i += n;
            continue;
        }
        char escaped[5];
        snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(name[i]));
        text += escaped;
        ++i;
    }
    return text;
}

bool holdsControlCharacter(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) return true;
        if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9f &&
            static_cast<unsigned char>(text[i + 1]) >= 0x80)
            return true;
    }
    return false;
}

size_t firstNonTextByte(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        const size_t n = c == '\t' || c == '\r' || c == '\n' ? 1 : printableSequence(text, i);
        if (n == 0) return i;
        i += n;
    }
    return text.size();
}
