#include "ContextNewUser.h"

#include "ScreenBeneath.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "app/SubImage.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuGroup.h"
#include "widgets/MenuItem.h"
#include "core/Plim.h"
#include "RenderableText.h"
#include "core/ResourceManager.h"
#include "audio/Sound.h"
#include "StretchSkin.h"

namespace {

Sound* popSound() { return static_cast<Sound*>(PLIM->resourceManager->find("pop", true)); }

// The field the name is typed into: an edit-box frame round the label's line,
// wide enough for the longest name.
Renderable* nameField(FontQuad* font, float top) {
    Renderable* field = new Renderable();
    StretchSkin* frame = new StretchSkin(SubImage::skin(SubImage::EDIT_BOX, SubImage::FRAME_PLAIN));
    frame->setBorders(12, 12, 12, 12);
    const int height = font ? font->fontHeight : 30;
    frame->setSize(ContextNewUser::FIELD_WIDTH, float(height + 14));
    field->pSkin = frame;
    field->bOwnsSkin = true;
    field->position = V3(0.0f, top - float(height / 2), 0.0f);
    field->updateVisuals();
    return field;
}

} // namespace

ContextNewUser::ContextNewUser() {
    bDeleteWhenDone = true;
    bEscapeCloses = false;
    Language* language = PLIM->language;
    addChild(new MenuGroup(0.0f, 0.0f, 0.0f, language->getText(Language::STR_ENTERYOURNAME), 512.0f, 256.0f));
    field = nameField(gGlobal->fontLarge, 25.0f);
    addChild(field);
    nameLabel = new RenderableText(0.0f, 25.0f, 0.0f, "", gGlobal->fontLarge, UColor::WHITE);
    nameLabel->bShadow = false;
    nameLabel->printFlags = 2;
    addChild(nameLabel);
    buttonOK = new MenuButton(0.0f, -80.0f, 0.0f, language->getText(Language::STR_OK), "");
    buttonOK->setWidth(128);
    addChild(buttonOK);
    popSound()->playRandomPitch();
}

ContextNewUser::~ContextNewUser() {}

bool ContextNewUser::isAllowedChar(char c) { return c == ' ' || (c >= '!' && c <= '}' && c != '`'); }

void ContextNewUser::tickContents(double t, double dt) {
    ContextMenu::tickContents(t, dt);

    // Every key typed since the last frame, in order (a fast typist puts several
    // in one), up to an Enter that takes the name.
    bool enter = false;
    for (const char* typed = MenuItem::typedText(); *typed && !enter; ++typed) {
        const char c = *typed;
        if (c == 8) {
            if (!name.isEmpty()) {
                popSound()->play(2.0f);
                name = name.substr(0, name.length() - 1);
            }
        } else if (c == 13) {
            enter = !name.isEmpty();
        } else if (int(name.length()) < MAX_NAME_LENGTH && isAllowedChar(c)) {
            popSound()->playRandomPitch();
            name += c;
        }
    }

    // The line is centred with its cursor, in the field's middle.
    FontQuad* large = gGlobal->fontLarge;
    FontQuad* font = large;
    if (font && float(font->getTextWidth(name + "_", nullptr).width) > FIELD_WIDTH - 2.0f * FIELD_INSET)
        font = gGlobal->fontMedium ? gGlobal->fontMedium : large;
    if (font) {
        nameLabel->font = font;
        const int w = font->getTextWidth(name + "_", nullptr).width;
        nameLabel->position.x = float(-(w / 2));
        nameLabel->position.y = field->position.y + float(font->fontHeight / 2);
        nameLabel->updateVisuals();
    }
    nameLabel->text = int(8.0 * time) % 2 == 0 ? name + "_" : name;

    buttonOK->bDisabled = name.isEmpty();
    const bool okPressed = buttonOK->wasClicked() || (buttonOK->bHovered && MenuItem::mousePressed());
    if (!buttonOK->bDisabled && (okPressed || enter)) {
        gGlobal->profiles.addProfile(name);
        bDone = true;
    }
}

void ContextNewUser::renderContents() {
    ScreenBeneath::render(this);
    ContextMenu::renderContents();
}
