#include "MessageViewer.h"

#include "FontQuad.h"
#include "app/Global.h"
#include "core/Logger.h"
#include "MenuPlate.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "StretchSkin.h"
#include "TextLine.h"
#include "TextParagraph.h"
#include "TextPhrase.h"
#include "TextPlate.h"

#include <algorithm>

MessageViewer::MessageViewer() {
    wrapWidth = (PLIM->graphics ? PLIM->graphics->fovWidth : 640) - 10;
    font = gGlobal ? gGlobal->fontMedium : nullptr;
    if (font) lineStep = -float(font->fontHeight);
    panel = MenuPlate::newFrame(MenuPlate::PANEL);
}

MessageViewer::~MessageViewer() { delete panel; }

void MessageViewer::addMessage(const UString& text) {
    logTagged("addMessage", "> %s", text.c_str());
    // An empty message stays as a blank spacer line.
    if (font && !text.isEmpty()) {
        TextParagraph paragraph(text, font, wrapWidth);
        for (BasicLink* line = paragraph.firstChild; line; line = line->next) {
            UString lineText;
            for (BasicLink* phrase = line->firstChild; phrase; phrase = phrase->next)
                lineText += static_cast<TextPhrase*>(phrase)->text;
            lines.push_back(lineText);
        }
    } else {
        lines.push_back(text);
    }
    while (int(lines.size()) > maxLines && !lines.empty()) lines.pop_front();
    lastMessageTime = PLIM->getTime();
}

void MessageViewer::tick(double time, double dt) {
    PlimBase::tick(time, dt);
    if (fadeTime > 0.0) {
        const double end = lastMessageTime + fadeTime;
        double t = PLIM->getTime() - (end - 1.0);
        if (t < 0.0) t = 0.0;
        if (t > 1.0) t = 1.0;
        visibility = float(1.0 - t);
    } else {
        visibility = 1.0f;
    }
}

void MessageViewer::render() {
    if (bHidden || visibility == 0.0f || !font) return;
    UColor c = colour;
    c.a = uint8_t(int(visibility * float(colour.a)));
    float lineY = y;
    if (bBottomAnchored) lineY -= float(int(lines.size()) - 1) * lineStep;
    drawPanel(lineY, c.a);
    for (size_t i = 0; i < lines.size(); i++) {
        UColor lineColour = c;
        if (bDimOlderLines && i + 1 < lines.size()) {
            lineColour.r /= 2;
            lineColour.g /= 2;
            lineColour.b /= 2;
        }
        font->printAt(x, lineY, z, lineColour, alignment, lines[i]);
        lineY += lineStep;
    }
}

void MessageViewer::drawPanel(float firstLineY, int alpha) {
    std::vector<Rect> letters;
    float lineY = firstLineY;
    for (const UString& line : lines) {
        letters.push_back(TextPlate::inkRect(font, x, lineY, alignment, line));
        lineY += lineStep;
    }
    MenuPlate::drawBlockPanel(panel, letters, alpha);
}
