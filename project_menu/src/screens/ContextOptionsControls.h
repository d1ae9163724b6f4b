#pragma once
// Player 1's flying keys, the mouse sensitivity and mouse steering, the fixed
// in-game menu key, and a button to player 2's page. Keys bind straight into
// the saved block; the block reaches the engine (the mouse speed) only when
// this page closes for good, not while player 2's page covers it.
#include "ContextOptionsPage.h"

class MenuButton;

class ContextOptionsControls : public ContextOptionsPage {
public:
    ContextOptionsControls();
    ~ContextOptionsControls() override;

    void tickContents(double time, double dt) override;
    void onDeactivate(bool removed) override;

    // The five key items of a player (0 or 1), top to bottom.
    static void addKeyItems(ContextOptionsPage* page, int player);

    MenuButton* player2Button = nullptr; // a child
};
