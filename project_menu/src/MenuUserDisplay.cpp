#include "MenuColors.h"
#include "MenuUserDisplay.h"

#include "Context.h"
#include "ContextManager.h"
#include "ContextNewUser.h"
#include "ContextUserManager.h"
#include "Global.h"
#include "Language.h"
#include "MenuItem.h"
#include "Plim.h"
#include "PlimGraphics.h"
#include "PlimUtil.h"
#include "RenderableText.h"

MenuUserDisplay::MenuUserDisplay() {
    const int h = PLIM->graphics ? PLIM->graphics->fovHeight : 480;
    nameLine = new RenderableText(0.0f, float(h / 2 - 170), 0.0f, "", gGlobal->fontMedium, UColor(0, 0, 0, 255));
    nameLine->bAutoDelete = false;
    // Its half-transparent black reads only over white: a white plate under it.
    nameLine->plate = UColor(255, 255, 255, 255);
    addChild(nameLine);
    hintLine = new RenderableText(0.0f, float(h / 2 - 197), 0.0f,
                                  PLIM->language->getText(Language::STR_CLICKTOCHANGEPLAYERS), gGlobal->fontSmall,
                                  MenuColors::plateText());
    hintLine->bAutoDelete = false;
    hintLine->plate = UColor(255, 255, 255, 255);
    addChild(hintLine);
}

MenuUserDisplay::~MenuUserDisplay() {}

void MenuUserDisplay::tick(double time, double dt) {
    PlayerProfiles& profiles = gGlobal->profiles;
    formatStringInto(nameLine->text, PLIM->language->getText(Language::STR_HELLO),
                     profiles.getName(profiles.getCurrentProfile()));
    PlimBase::tick(time, dt);

    const V3 mouse = MenuItem::getMousePosition();
    const float nameY = nameLine->position.y;
    bHovered = mouse.x >= -100.0f && mouse.x < 100.0f && mouse.y > nameY - 36.0f && mouse.y <= nameY;
    nameLine->color = bHovered ? UColor(0, 160, 0, 255) : MenuColors::plateText();
    // Green reads only over a dark plate, half-transparent black only over white.
    nameLine->plate = bHovered ? UColor(8, 10, 16, 255) : UColor(255, 255, 255, 255);

    if (bHovered && MenuItem::mousePressed()) gGlobal->contextManager->push(new ContextUserManager());

    if (!profiles.isUsed(profiles.getCurrentProfile())) {
        gGlobal->saveData.bProfileMissing = 1;
        gGlobal->contextManager->push(new ContextNewUser());
    } else {
        gGlobal->saveData.bProfileMissing = 0;
    }
}
