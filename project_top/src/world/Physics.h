#pragma once
// One point mass under the forces gathered since its last step, with an
// optional constant drag and a speed limit. Not part of the object tree: its
// owner ticks it.
#include "core/PlimBase.h"
#include "util/V3.h"

class Physics : public PlimBase {
public:
    Physics();
    ~Physics() override;

    // One integration step of dt seconds; time is not used.
    void tick(double time, double dt) override;
    static float squaredLength(const V3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

    V3 position{0.0f, 0.0f, 0.0f};
    V3 previousPosition{0.0f, 0.0f, 0.0f};
    V3 velocity{0.0f, 0.0f, 0.0f};
    V3 acceleration{0.0f, 0.0f, 0.0f};
    V3 force{0.0f, 0.0f, 0.0f}; // cleared by every step
    float mass = 1.0f;
    float drag = 0.0f;          // speed lost per second, whatever the speed
    float maxSpeed = 1.0e6f;
};
