#pragma once
// The screen-change iris: closes the picture to black in a circle and opens it
// again. value 0 is open (nothing drawn), 1 closed; the tick moves it towards
// target at 1.0 per second.
#include "render/Renderable.h"

class RadialFader : public Renderable {
public:
    RadialFader();
    ~RadialFader() override;

    void tick(double time, double dt) override;
    void render() override;

    // The iris radius at the value: from beyond the corners (value 0) to 0.
    static float radiusAt(float value, float outerRadius);

    float value = 0.0f;
    float target = 0.0f;
};
