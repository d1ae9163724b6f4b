#include "TextParagraph.h"

#include "FontQuad.h"
#include "TextLine.h"

TextParagraph::TextParagraph(UString text, FontQuad* font, int maxWidth) {
    if (text.isEmpty()) return;
    // The closing space gives the last line a break position of its own.
    text += ' ';
    while (!text.isEmpty()) {
        int last = -1;
        int breakAt;
        for (;;) {
            int bar = text.find("|", size_t(last + 1));
            int space = text.find(" ", size_t(last + 1));
            bool forced = bar >= 0 && (space < 0 || bar < space);
            int candidate = forced ? bar : space;
            if (candidate < 0) {
                breakAt = int(text.length()) - 1;
                break;
            }
            int w = font->getTextSize(text.substr(0, size_t(candidate))).width;
            if (w > maxWidth) {
                // A first word wider than the paragraph makes a line of its own.
                breakAt = last > 0 ? last : candidate;
                break;
            }
            if (forced) {
                breakAt = candidate;
                break;
            }
            last = candidate;
        }
        addChild(new TextLine(text.substr(0, size_t(breakAt)), font));
        text = text.substr(size_t(breakAt) + 1);
    }
    for (BasicLink* link = firstChild; link; link = link->next) {
        if (link->bDestroyPending || link->bSkip) continue;
        int lineWidth = static_cast<TextLine*>(link)->width;
        if (lineWidth > width) width = lineWidth;
    }
}

TextParagraph::~TextParagraph() {}
