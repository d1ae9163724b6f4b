#pragma once
// A check box bound to a saved flag byte (0 or 1): each mouse press on the
// enabled box flips it; the check glyph shows while it is set.
#include "MenuItem.h"

#include <cstdint>

class MenuBool : public MenuItem {
public:
    MenuBool(float x, float y, float z, const UString& caption, const UString& description, uint8_t* value);
    ~MenuBool() override;

    void tick(double time, double dt) override;
    void render() override;

    uint8_t* value; // the caller's
};
