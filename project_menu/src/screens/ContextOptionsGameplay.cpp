#include "ContextOptionsGameplay.h"

#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuBool.h"

ContextOptionsGameplay::ContextOptionsGameplay() : ContextOptionsPage(text(Language::STR_GAMEPLAY)) {
    SaveData& data = gGlobal->saveData;
    addChild(new MenuBool(0.0f, 20.0f, 0.0f, text(Language::STR_TUTORIAL), text(Language::STR_TUTORIALHINT),
                          &data.bInGameHelp));
    addChild(new MenuBool(0.0f, -20.0f, 0.0f, text(Language::STR_ALLOWCHEATS), text(Language::STR_ALLOWCHEATSHINT),
                          &data.bAllowCheats));
    addBackButton();
}

ContextOptionsGameplay::~ContextOptionsGameplay() {}
