#include "widgets/MenuColors.h"
#include "ContextOptionsControls.h"

#include "app/ContextManager.h"
#include "ContextOptionsControls2.h"
#include "FontQuad.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuEnum.h"
#include "widgets/MenuKey.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "RenderableText.h"

namespace {

// Actions of the saved key table.
enum { TURN_LEFT = 0, TURN_RIGHT = 1, POWER_UP = 2, POWER_DOWN = 3, FIRE = 4 };

} // namespace

void ContextOptionsControls::addKeyItems(ContextOptionsPage* page, int player) {
    SaveData& data = gGlobal->saveData;
    const struct {
        float y;
        int caption, action;
    } items[] = {
        {120.0f, Language::STR_CONTROLSUP, POWER_UP},       {80.0f, Language::STR_CONTROLSDOWN, POWER_DOWN},
        {40.0f, Language::STR_CONTROLSLEFT, TURN_LEFT},     {0.0f, Language::STR_CONTROLSRIGHT, TURN_RIGHT},
        {-40.0f, Language::STR_CONTROLSFIRE, FIRE},
    };
    for (const auto& item : items) {
        MenuKey* key = new MenuKey(0.0f, item.y, 0.0f, text(item.caption), text(Language::STR_CONTROLSHINT),
                                   &data.keys[item.action][player]);
        key->setWidth(192);
        page->addChild(key);
    }
}

ContextOptionsControls::ContextOptionsControls() : ContextOptionsPage(text(Language::STR_CONTROLS)) {
    SaveData& data = gGlobal->saveData;
    addKeyItems(this, 0);

    MenuEnum* sensitivity = new MenuEnum(0.0f, -80.0f, 0.0f, text(Language::STR_SENSITIVITY),
                                         text(Language::STR_SENSITIVITYHINT), &data.mouseSensitivity, 0, 4,
                                         Language::STR_ENUMSENSITIVITY0);
    sensitivity->setWidth(192);
    addChild(sensitivity);

    // The in-game menu key is fixed: a disabled item with the key's name over it.
    MenuItem* menuKey = new MenuItem(-48.0f, -120.0f, 0.0f, text(Language::STR_CONTROLSINGAMEMENU), "");
    menuKey->bDisabled = true;
    menuKey->disabledText = text(Language::STR_CONTROLSINGAMEMENUHINT);
    menuKey->setWidth(96);
    addChild(menuKey);
    const UString escapeName = PLIM->input ? PLIM->input->getKeyName(KEY_ESCAPE) : UString(text(Language::STR_DIK_ESCAPE));
    // Shown as the other boxes show their keys, in a light grey that says it
    // cannot be changed (translucent black would vanish in the dark box).
    RenderableText* keyName = new RenderableText(-48.0f, -120.0f, 0.0f, escapeName, gGlobal->fontMedium,
                                                 MenuColors::fixedKey());
    keyName->printFlags = FontQuad::PRINT_CENTER | FontQuad::PRINT_VCENTER;
    keyName->bShadow = false;
    addChild(keyName);

    MenuBool* useMouse = new MenuBool(71.0f, -120.0f, 0.0f, "use mouse", "use mouse for control (player 1 only)",
                                      &data.bUseMouse);
    useMouse->captionLocation = MenuItem::CAPTION_RIGHT;
    addChild(useMouse);

    player2Button = new MenuButton(float(viewWidth() / 2 - 146), float(-viewHeight() / 2 + 50), 0.0f,
                                   text(Language::STR_CONTROLS2DOTS), "");
    addChild(player2Button);
    addBackButton();
}

ContextOptionsControls::~ContextOptionsControls() {}

void ContextOptionsControls::tickContents(double time, double dt) {
    ContextOptionsPage::tickContents(time, dt);
    if (player2Button && player2Button->wasClicked()) gGlobal->contextManager->push(new ContextOptionsControls2());
}

void ContextOptionsControls::onDeactivate(bool removed) {
    ContextOptionsPage::onDeactivate(removed);
    if (removed) gGlobal->applySettings();
}
