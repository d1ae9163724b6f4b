#pragma once
// A button that opens a web page or file in the browser; the program ends
// once the browser has started (Global::openLink).
#include "MenuButton.h"

class MenuButtonURL : public MenuButton {
public:
    MenuButtonURL(float x, float y, float z, const UString& caption, const UString& description);
    ~MenuButtonURL() override;

    void onClick() override;

    UString url; // set by the creating screen
};
