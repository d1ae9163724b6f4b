#include "ContextUserManager.h"

#include "ScreenBeneath.h"
#include "app/ContextManager.h"
#include "ContextNewUser.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuGroup.h"
#include "widgets/MenuItem.h"
#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "audio/Sound.h"

ContextUserManager::ContextUserManager() {
    bDeleteWhenDone = true;
    Language* language = PLIM->language;
    addChild(new MenuGroup(0.0f, 0.0f, 0.0f, language->getText(Language::STR_PLAYERS), 600.0f, 384.0f));
    buttonAdd = new MenuButton(-160.0f, -128.0f, 0.0f, language->getText(Language::STR_ADDPLAYER), "");
    buttonAdd->setWidth(128);
    addChild(buttonAdd);
    buttonDelete = new MenuButton(0.0f, -128.0f, 0.0f, language->getText(Language::STR_DELETEPLAYER), "");
    buttonDelete->setWidth(128);
    buttonDelete->questionText = language->getText(Language::STR_CONFIRM);
    addChild(buttonDelete);
    MenuButtonQuit* done = new MenuButtonQuit(160.0f, -128.0f, 0.0f, language->getText(Language::STR_DONE), "");
    done->setWidth(128);
    addChild(done);
    static_cast<Sound*>(PLIM->resourceManager->find("pop", true))->playRandomPitch();
}

ContextUserManager::~ContextUserManager() {}

int ContextUserManager::rowAt(float x, float y, int profileCount) {
    if (x < -150.0f || x >= 150.0f) return -1;
    for (int i = 0; i < profileCount && i < PlayerProfiles::MAX_PROFILES; i++)
        if (y > 120.0f - 30.0f * float(i) && y <= 150.0f - 30.0f * float(i)) return i;
    return -1;
}

void ContextUserManager::tickContents(double time, double dt) {
    PlayerProfiles& profiles = gGlobal->profiles;
    const int count = profiles.countProfiles();
    buttonAdd->bDisabled = count > 7;
    buttonDelete->bDisabled = count < 2;

    ContextMenu::tickContents(time, dt);

    if (buttonAdd->wasClicked()) {
        gGlobal->contextManager->push(new ContextNewUser());
        bDone = true;
    } else if (buttonDelete->wasClicked()) {
        profiles.deleteProfile(profiles.getCurrentProfile());
    }

    if (MenuItem::mousePressed()) {
        const int row = rowAt(mouseWorld.x, mouseWorld.y, profiles.countProfiles());
        if (row >= 0) profiles.setCurrentProfile(row);
    }
}

void ContextUserManager::renderContents() {
    ScreenBeneath::render(this);
    ContextMenu::renderContents();

    FontQuad* font = gGlobal->fontMedium;
    if (!font) return;
    const PlayerProfiles& profiles = gGlobal->profiles;
    const int count = profiles.countProfiles();
    for (int i = 0; i < count; i++) {
        const float y = 135.0f - 30.0f * float(i);
        const bool current = i == profiles.getCurrentProfile();
        font->printAt(-150.0f, y, 0.0f, current ? UColor::WHITE : UColor(0, 160, 0, 255), 0x12,
                      profiles.getName(i));
        if (current) font->printAt(-160.0f, y, 0.0f, UColor::WHITE, 0x14, "\x01");
    }
}
