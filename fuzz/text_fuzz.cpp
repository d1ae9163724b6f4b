// The text layout on arbitrary bytes with a font of block glyphs (no window):
// measuring with and without a width limit, escapes (0x1F and two bytes, also
// cut short or naming symbols past the table), accented letters, the cache
// row check, and paragraphs wrapped at spaces and "|" into lines split at
// colour codes. The game's texts carry only well-formed codes (a broken one is
// a fatal error by design), so every 0x1E here starts one built from the
// bytes after it. The first two bytes give the paragraph width.
#include "FontQuad.h"
#include "core/Plim.h"
#include "render/Quad.h"
#include "TextLine.h"
#include "TextParagraph.h"

#include <cstdint>
#include <cstdlib>

namespace {

FontQuad* font = nullptr;

void addGlyph(uint16_t symbol, int width, int height, int spacing) {
    Quad* q = new Quad();
    q->setSize(float(width), float(height));
    q->setOrigin(7);
    font->symbolData[symbol].pQuad = q;
    font->symbolData[symbol].spacing = spacing;
}

// Each 0x1E and the 8 bytes after it become "{rrggbb}" from those bytes; a
// code cut short by the end is dropped.
UString withWellFormedCodes(const uint8_t* data, size_t size) {
    static const char hex[] = "0123456789abcdef";
    UString text;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] != uint8_t(TextLine::COLOUR_CODE)) {
            text += char(data[i]);
            continue;
        }
        if (size - i - 1 < size_t(TextLine::COLOUR_CODE_LENGTH)) break;
        text += TextLine::COLOUR_CODE;
        text += '{';
        for (int k = 1; k <= 6; ++k) text += hex[data[i + k] & 15];
        text += '}';
        i += TextLine::COLOUR_CODE_LENGTH;
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    new Plim(Plim::Bare{});
    font = new FontQuad();
    font->spaceWidth = 4;
    // Widths and heights vary by symbol; some glyphs overlap their neighbour
    // (negative spacing), one is wider than a cache row.
    for (int c = 33; c < 256; ++c)
        if (c != 0x7F) addGlyph(uint16_t(c), 1 + c % 11, 5 + c % 9, c % 13 == 0 ? -3 : 1);
    addGlyph(0x7F, 3, 8, 1);
    addGlyph(300, 300, 12, 1);
    addGlyph(1023, 7, 20, 0);
    font->fontHeight = 20;
    font->setupCompositeChars();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 4096) return 0;
    const int maxWidth = int(data[0] | (data[1] << 8)) - 64;
    const UString text = withWellFormedCodes(data + 2, size - 2);
    const int length = int(text.length());

    for (int index = 0; index < length; ++index) {
        const int before = index;
        const uint16_t symbol = font->decodeSymbol(text, index);
        if (index < before || index >= length) abort();
        font->getSymbolSize(symbol); // also past the table
    }
    const FontSize whole = font->getTextWidth(text, nullptr);
    int limit = maxWidth;
    const FontSize cut = font->getTextWidth(text, &limit);
    if (limit != maxWidth || cut.width != whole.width) {
        // The limit names where the first symbol that does not fit begins.
        if (limit < 0 || limit > length || (limit > 0 && cut.width > maxWidth)) abort();
        if (font->getTextWidth(text.substr(0, size_t(limit)), nullptr).width != cut.width) abort();
    }
    font->getTextSize(text);
    font->fitsCacheRow(text);

    TextParagraph paragraph(text, font, maxWidth);
    int widest = 0;
    for (BasicLink* link = paragraph.firstChild; link; link = link->next) {
        const TextLine* line = static_cast<TextLine*>(link);
        if (line->width > widest) widest = line->width;
    }
    if (widest != paragraph.width) abort();
    return 0;
}
