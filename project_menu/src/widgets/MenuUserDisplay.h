#pragma once
// The greeting with the current player's name on the main menu. A click on it
// opens the profile list; while the current profile slot is free it opens the
// new-profile screen, again each time the menu comes back to the top.
#include "core/PlimBase.h"

class RenderableText;

class MenuUserDisplay : public PlimBase {
public:
    MenuUserDisplay();
    ~MenuUserDisplay() override;

    void tick(double time, double dt) override;
    // Width of the greeting's text.
    float textWidth() const;

    RenderableText* nameLine = nullptr; // a child
    RenderableText* hintLine = nullptr; // a child
    bool bHovered = false;
};
