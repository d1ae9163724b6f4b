#include "MyContextMain.h"

#include "Global.h"

MyContextMain::MyContextMain() {}

MyContextMain::~MyContextMain() {}

void MyContextMain::onActivate(bool firstTime) {
    ContextMain::onActivate(firstTime);
    gGlobal->profiles.lastHighScorePlace = -1;
}

void MyContextMain::onButtonStart() {
    // The game-type menu is pushed here once it exists; until then the
    // start button is disabled.
}
