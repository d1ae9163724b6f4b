#pragma once
// A button that closes the top screen.
#include "MenuButton.h"

class MenuButtonQuit : public MenuButton {
public:
    MenuButtonQuit(float x, float y, float z, const UString& caption, const UString& description);
    ~MenuButtonQuit() override;

    void onClick() override;
};
