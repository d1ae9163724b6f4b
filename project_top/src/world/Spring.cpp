#include "Spring.h"

Spring::Spring() { anchor = position; }

Spring::~Spring() {}

void Spring::tick(double time, double dt) {
    force = force + (position - anchor) * (-stiffness);
    const V3 d = velocity * float(dt * damping);
    if (squaredLength(d) <= squaredLength(velocity))
        velocity = velocity - d;
    else
        velocity = V3(0.0f, 0.0f, 0.0f);
    Physics::tick(time, dt);
}
