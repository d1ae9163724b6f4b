#include "ContextDialog.h"

#include "ScreenBeneath.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuGroup.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "RenderableText.h"
#include "core/ResourceManager.h"
#include "audio/Sound.h"
#include "TextLine.h"
#include "TextParagraph.h"
#include "TextPhrase.h"

#include <algorithm>

namespace {

const int MIN_WIDTH = 192;
const int MIN_BUTTON_ROW_WIDTH = 330;
const float BUTTON_OFFSET = 85.0f;
const int BUTTON_WIDTH = 160;
const float PANEL_MARGIN = 100.0f;

} // namespace

ContextDialog::ContextDialog() {
    if (PLIM->language) label1 = PLIM->language->getText(Language::STR_OK);
    bDeleteWhenDone = true;
}

ContextDialog::~ContextDialog() {}

ContextDialog* ContextDialog::question(const UString& title, const UString& text, int* answer) {
    ContextDialog* dialog = new ContextDialog();
    dialog->title = title;
    dialog->text = text;
    dialog->label1 = PLIM->language->getText(Language::STR_YES);
    dialog->label2 = PLIM->language->getText(Language::STR_NO);
    dialog->pAnswer = answer;
    dialog->build();
    return dialog;
}

void ContextDialog::build() {
    if (pAnswer) *pAnswer = -1;
    FontQuad* textFont = gGlobal->fontMedium;
    FontQuad* titleFont = gGlobal->fontLarge;
    int screenWidth = PLIM->graphics ? PLIM->graphics->fovWidth : 640;

    TextParagraph* paragraph = new TextParagraph(text, textFont, int(float(screenWidth) * 0.75f));
    int lineStep = int(float(textFont->fontHeight) * 1.25f);
    int width = MIN_WIDTH;
    int height = 0;
    if (!title.isEmpty()) {
        width = std::max(width, titleFont->getTextWidth(title, nullptr).width);
        height += titleFont->fontHeight + lineStep;
    }
    width = std::max(width, int(paragraph->width));
    height += int(paragraph->getNumChildren()) * lineStep;
    int buttons = (label1.isEmpty() ? 0 : 1) + (label2.isEmpty() ? 0 : 1);
    if (buttons > 0) {
        height += lineStep + 50;
        width = std::max(width, MIN_BUTTON_ROW_WIDTH);
    }
    if (buttons < 2) bBackKeysClose = true;
    width = std::max(width, height);

    float y = float(height) * 0.5f;
    addChild(new MenuGroup(position.x, position.y, position.z, UString(), float(width) + PANEL_MARGIN,
                           float(height) + PANEL_MARGIN));

    if (!title.isEmpty()) {
        RenderableText* label = new RenderableText(position.x, position.y + y, position.z, title, titleFont, UColor::WHITE);
        label->bShadow = false;
        addChild(label);
        y -= float(titleFont->fontHeight + lineStep);
    }

    for (BasicLink* l = paragraph->firstChild; l; l = l->next) {
        TextLine* line = static_cast<TextLine*>(static_cast<PlimBase*>(l));
        int offset = -(line->width / 2);
        for (BasicLink* p = line->firstChild; p; p = p->next) {
            TextPhrase* phrase = static_cast<TextPhrase*>(static_cast<PlimBase*>(p));
            UColor colour = phrase->colour == TextLine::NO_COLOUR ? UColor::WHITE : phrase->colour;
            RenderableText* label = new RenderableText(position.x + float(offset), position.y + y, position.z,
                                                       phrase->text, textFont, colour);
            label->printFlags = 3;
            label->bShadow = false;
            addChild(label);
            offset += phrase->width;
        }
        y -= float(lineStep);
    }

    if (buttons > 0) {
        float row = position.y + y - float(lineStep) - 25.0f;
        if (!label1.isEmpty()) {
            float x = buttons == 1 ? 0.0f : -BUTTON_OFFSET;
            pButton1 = new MenuButton(position.x + x, row, position.z, label1, UString());
            pButton1->setWidth(BUTTON_WIDTH);
            addChild(pButton1);
        }
        if (!label2.isEmpty()) {
            pButton2 = new MenuButton(position.x + BUTTON_OFFSET, row, position.z, label2, UString());
            pButton2->setWidth(BUTTON_WIDTH);
            addChild(pButton2);
        }
    }
    paragraph->deleteMe();
}

void ContextDialog::onActivate(bool firstTime) {
    if (!firstTime) return;
    static_cast<Sound*>(PLIM->resourceManager->find("pop", true))->play(1.0f);
}

void ContextDialog::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    if (pButton1 && pButton1->wasClicked()) {
        if (pAnswer) *pAnswer = 0;
        bDone = true;
    }
    if (pButton2 && pButton2->wasClicked()) {
        if (pAnswer) *pAnswer = 1;
        bDone = true;
    }
}

void ContextDialog::renderContents() {
    ScreenBeneath::render(this);
    Context::renderContents();
}
