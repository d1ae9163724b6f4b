#pragma once
// A point pulled back to its anchor by a damped spring (the palms' sway).
#include "Physics.h"

class Spring : public Physics {
public:
    // The anchor is the position at construction.
    Spring();
    ~Spring() override;

    // Spring force and damping, then the Physics step.
    void tick(double time, double dt) override;

    V3 anchor{0.0f, 0.0f, 0.0f};
    float stiffness = 1.0f;
    float damping = 0.0f; // share of the velocity removed per second
};
