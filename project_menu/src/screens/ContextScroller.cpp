#include "ContextScroller.h"

#include "render/Camera.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuPlate.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/Rect.h"
#include "RenderableText.h"
#include "StretchSkin.h"

#include <algorithm>
#include <vector>

ContextScroller::ContextScroller() {
    bDeleteWhenDone = true;
    lines = new PlimBase();
    addChild(lines);
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    nextLineY = -float(h / 2);
    panel = MenuPlate::newFrame(MenuPlate::PANEL);
}

ContextScroller::~ContextScroller() { delete panel; }

void ContextScroller::addTitle(const UString& text) {
    FontQuad* font = gGlobal->fontLarge;
    RenderableText* line = new RenderableText(0.0f, nextLineY, 0.0f, text, font, UColor::WHITE);
    line->bShadow = false;
    line->printFlags = 4;
    lines->addChild(line);
    nextLineY -= 1.15f * float(font ? font->fontHeight : 0);
}

void ContextScroller::addLine(const UString& left, const UString& right, int yOffset, UColor colour) {
    FontQuad* font = gGlobal->fontMedium;
    const float y = nextLineY + float(yOffset);
    RenderableText* line;
    if (left.isEmpty() && right.isEmpty()) {
        line = new RenderableText(0.0f, y, 0.0f, "", font, colour);
        line->printFlags = 4;
    } else if (right.isEmpty()) {
        line = new RenderableText(0.0f, y, 0.0f, left, font, colour);
        line->printFlags = 4;
    } else {
        const float x = font ? -float(font->getTextWidth(left + "   ", nullptr).width) : 0.0f;
        line = new RenderableText(x, y, 0.0f, left + "      " + right, font, colour);
        line->printFlags = 2;
    }
    line->bShadow = false;
    lines->addChild(line);
}

void ContextScroller::addRow(const UString& left, const UString& right) {
    addLine(left, right, 0, UColor::WHITE);
    FontQuad* font = gGlobal->fontMedium;
    nextLineY -= 1.15f * float(font ? font->fontHeight : 0);
}

void ContextScroller::addCredits() {
    Language* l = PLIM->language;
    addTitle(l->getText(Language::STR_CORVANA2));
    addRow("", "");
    addRow(l->getText(Language::STR_COPYRIGHT), "");
    addRow("", "");
    addRow(l->getText(Language::STR_CREDITS1A1), " ");
    addRow(l->getText(Language::STR_CREDITS1A2), " ");
    addRow(l->getText(Language::STR_CREDITS1A3), l->getText(Language::STR_CREDITS1B));
    addRow("", "");
    addRow(l->getText(Language::STR_CREDITS2A), "");
    addRow(l->getText(Language::STR_CREDITS2B1), "");
    addRow(l->getText(Language::STR_CREDITS2B2), "");
    addRow("", "");
    addRow(l->getText(Language::STR_CREDITS3A), l->getText(Language::STR_CREDITS3B));
}

float ContextScroller::lineAlpha(float y, float top, float bottom) {
    float alpha;
    if (y > top - 50.0f)
        alpha = (top - y) / 50.0f;
    else if (y < bottom + 100.0f)
        alpha = (y - (bottom + 40.0f)) / 60.0f;
    else
        alpha = 1.0f;
    if (alpha < 0.0f) alpha = 0.0f;
    if (alpha > 1.0f) alpha = 1.0f;
    return alpha;
}

void ContextScroller::renderContents() {
    std::vector<const RenderableText*> block;
    int alpha = 0;
    auto drawBlock = [&] {
        // A block not yet faded in (most of them, early on) draws nothing.
        if (alpha > 0) MenuPlate::drawBlockPanel(panel, MenuPlate::lettersOf(block), alpha);
        block.clear();
        alpha = 0;
    };
    for (BasicLink* link = lines->firstChild; link; link = link->next) {
        if (link->bDestroyPending) continue;
        const RenderableText* line = static_cast<const RenderableText*>(static_cast<PlimBase*>(link));
        if (line->text.isEmpty()) {
            drawBlock();
            continue;
        }
        block.push_back(line);
        alpha = std::max(alpha, int(line->color.a));
    }
    drawBlock();
    Context::renderContents();
}

void ContextScroller::tickContents(double t, double delta) {
    Context::tickContents(t, delta);
    if (!camera) return;
    const Rect view = camera->getVisibleRect(0.0f);
    for (BasicLink* link = lines->firstChild; link; link = link->next) {
        if (link->bDestroyPending || link->bSkip) continue;
        RenderableText* line = static_cast<RenderableText*>(static_cast<PlimBase*>(link));
        line->position += velocity * float(dt);
        line->updateVisuals();
        line->color.a = uint8_t(int(lineAlpha(line->position.y, view.top, view.bottom) * 255.0f));
        line->bHidden = line->color.a == 0;
        if (line->position.y - 64.0f > view.top) line->bDestroyPending = true;
    }
}
