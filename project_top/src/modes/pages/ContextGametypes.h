#pragma once
// The game-type menu behind the main menu's Start Game: one button per game
// type and one for the mutators. Types with options open their rules page;
// challenge and screensaver start at once.
#include "screens/ContextOptionsPage.h"

class GameStartButton;
class MenuButton;

class ContextGametypes : public ContextOptionsPage {
public:
    ContextGametypes();
    ~ContextGametypes() override;

    void tickContents(double time, double dt) override;

    MenuButton* invasion = nullptr; // children
    MenuButton* duel = nullptr;
    GameStartButton* challenge = nullptr;
    MenuButton* balloonPop = nullptr;
    GameStartButton* screensaver = nullptr;
    MenuButton* freeForAll = nullptr;
    MenuButton* mutators = nullptr;
};
