#include "MenuColors.h"
#include "MenuUserDisplay.h"

#include "core/Context.h"
#include "FontQuad.h"
#include "app/ContextManager.h"
#include "screens/ContextNewUser.h"
#include "screens/ContextUserManager.h"
#include "app/Global.h"
#include "language/Language.h"
#include "MenuItem.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/PlimUtil.h"
#include "RenderableText.h"

#include <algorithm>

MenuUserDisplay::MenuUserDisplay() {
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    nameLine = new RenderableText(0.0f, float(h / 2 - 170), 0.0f, "", gGlobal->fontMedium, UColor(0, 0, 0, 255));
    nameLine->bAutoDelete = false;
    // Its half-transparent black reads only over white: a white plate under it.
    nameLine->plate = UColor::WHITE;
    addChild(nameLine);
    hintLine = new RenderableText(0.0f, float(h / 2 - 197), 0.0f,
                                  PLIM->language->getText(Language::STR_CLICKTOCHANGEPLAYERS), gGlobal->fontSmall,
                                  MenuColors::plateText());
    hintLine->bAutoDelete = false;
    hintLine->plate = UColor::WHITE;
    addChild(hintLine);
}

MenuUserDisplay::~MenuUserDisplay() {}

float MenuUserDisplay::textWidth() const {
    return nameLine->font ? float(nameLine->font->getTextWidth(nameLine->text, nullptr).width) : 0.0f;
}

void MenuUserDisplay::tick(double time, double dt) {
    PlayerProfiles& profiles = gGlobal->profiles;
    formatStringInto(nameLine->text, PLIM->language->getText(Language::STR_HELLO),
                     profiles.getName(profiles.getCurrentProfile()));
    PlimBase::tick(time, dt);

    const V3 mouse = MenuItem::getMousePosition();
    const float nameY = nameLine->position.y;
    // A long name's greeting is wider than the usual area: its ends count too.
    const float half = std::max(100.0f, 0.5f * textWidth() + 4.0f);
    const bool overName = mouse.x >= -half && mouse.x < half && mouse.y > nameY - 36.0f && mouse.y <= nameY;
    // The hint invites the click: all of its plate takes it, below the name's area too.
    bHovered = MenuItem::pointerShown() && (overName || hintLine->plateRect().contains(mouse.x, mouse.y));
    nameLine->color = bHovered ? UColor(0, 160, 0, 255) : MenuColors::plateText();
    // Green reads only over a dark plate, translucent black only over white.
    nameLine->plate = bHovered ? UColor(8, 10, 16, 255) : UColor::WHITE;

    if (bHovered && MenuItem::mousePressed()) gGlobal->contextManager->push(new ContextUserManager());

    if (!profiles.isUsed(profiles.getCurrentProfile())) {
        gGlobal->saveData.bProfileMissing = 1;
        gGlobal->contextManager->push(new ContextNewUser());
    } else {
        gGlobal->saveData.bProfileMissing = 0;
    }
}
