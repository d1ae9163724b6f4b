#include "MyContextMain.h"

#include "app/ContextManager.h"
#include "app/Global.h"
#include "widgets/MenuButton.h"
#include "modes/pages/ContextGametypes.h"

MyContextMain::MyContextMain() { buttonStart->bDisabled = false; }

MyContextMain::~MyContextMain() {}

void MyContextMain::onActivate(bool firstTime) {
    ContextMain::onActivate(firstTime);
    gGlobal->profiles.lastHighScorePlace = -1;
}

void MyContextMain::onButtonStart() {
    gGlobal->contextManager->push(new ContextGametypes());
}
