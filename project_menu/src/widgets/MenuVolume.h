#pragma once
// A MenuInt shown as a row of bars that applies the settings on every change,
// so a new volume is heard at once.
#include "MenuInt.h"

class MenuVolume : public MenuInt {
public:
    MenuVolume(float x, float y, float z, const UString& caption, const UString& description, int32_t* value,
               int minimum, int maximum);
    ~MenuVolume() override;

    void renderValue(V3 position) override;
    void onClick() override;
};
