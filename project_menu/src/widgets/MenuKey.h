#pragma once
// One player's key for one action: while the mouse is over it, the next key
// pressed (not Escape) becomes the binding and is taken from every other
// action of both players, so a key never drives two actions.
#include "MenuItem.h"

#include <cstdint>

class MenuKey : public MenuItem {
public:
    // key points into the saved data's key table.
    MenuKey(float x, float y, float z, const UString& caption, const UString& description, int32_t* key);
    ~MenuKey() override;

    void tick(double time, double dt) override;
    void renderValue(V3 position) override;

    int32_t* key; // the caller's
};
