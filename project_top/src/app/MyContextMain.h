#pragma once
// The game's main menu: forgets the last high-score row whenever it comes back
// to the top, and its start button leads to the game's own screens.
#include "screens/ContextMain.h"

class MyContextMain : public ContextMain {
public:
    MyContextMain();
    ~MyContextMain() override;

    void onActivate(bool firstTime) override;
    void onButtonStart() override;
};
