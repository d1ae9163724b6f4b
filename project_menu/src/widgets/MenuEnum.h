#pragma once
// A MenuInt that shows its value as one of a run of consecutive language texts.
#include "MenuInt.h"

class MenuEnum : public MenuInt {
public:
    MenuEnum(float x, float y, float z, const UString& caption, const UString& description, int32_t* value,
             int minimum, int maximum, int firstText);
    ~MenuEnum() override;

    void renderValue(V3 position) override;

    int32_t firstText; // text number of value 0
};
