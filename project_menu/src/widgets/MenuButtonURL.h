#pragma once
// A button that ends the program and has the shutdown open a web page.
#include "MenuButton.h"

class MenuButtonURL : public MenuButton {
public:
    MenuButtonURL(float x, float y, float z, const UString& caption, const UString& description);
    ~MenuButtonURL() override;

    void onClick() override;

    UString url; // set by the creating screen
};
