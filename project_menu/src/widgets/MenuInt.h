#pragma once
// A bound integer within [minimum, maximum], changed by step with the two
// arrow hot spots inside the widget's ends; the arrows show while highlighted
// and the value can still move that way.
#include "MenuItem.h"

#include <cstdint>

class MenuInt : public MenuItem {
public:
    MenuInt(float x, float y, float z, const UString& caption, const UString& description, int32_t* value,
            int minimum, int maximum, int step);
    ~MenuInt() override;

    void tick(double time, double dt) override;
    void render() override;
    void renderValue(V3 position) override;

    int32_t* value; // the caller's
    int32_t minimum;
    int32_t maximum;
    int32_t step;
};
