#pragma once
// The main menu: the game's logo, the current player, the start, high-score,
// options and credits buttons, the web-site and quit buttons. It lies at the
// bottom of the screen stack; closing it ends the program. What the start
// button leads to is the game's business (onButtonStart).
#include "ContextMenu.h"

class MenuButton;

class ContextMain : public ContextMenu {
public:
    ContextMain();
    ~ContextMain() override;

    // Ctrl+Alt+X crash test, then the buttons.
    void tickContents(double time, double dt) override;
    // Empty: the game's main menu pushes its game-type screen.
    virtual void onButtonStart();

    // The address the web-site button opens.
    static const char* const WEBSITE_URL;
    // The host of the web service (online tables, uploads, network test).
    static const char* const WEB_SERVICE_HOST;

    MenuButton* buttonStart = nullptr; // children
    MenuButton* buttonHighScores = nullptr;
    MenuButton* buttonOptions = nullptr;
    MenuButton* buttonCredits = nullptr;
};
