#pragma once
// A push button, clicked with the mouse or its shortcut character; with a
// question set it asks first (Yes/No dialog) and clicks only on "Yes".
#include "MenuItem.h"

#include <cstdint>

class MenuButton : public MenuItem {
public:
    // The frame is "gui-game-button", 256 wide, the caption centred.
    MenuButton(float x, float y, float z, const UString& caption, const UString& description);
    ~MenuButton() override;

    void tick(double time, double dt) override;

    char shortcut = 0; // 0: none
    UString questionTitle;
    UString questionText;
    int32_t answer = -1; // the question's answer: 0 yes, 1 no, -1 open or none
};
