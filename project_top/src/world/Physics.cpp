#include "Physics.h"

Physics::Physics() {}

Physics::~Physics() {}

void Physics::tick(double, double dt) {
    const float t = float(dt);
    acceleration = force * (1.0f / mass);
    velocity = velocity + acceleration * t;
    const float s2 = squaredLength(velocity);
    if (s2 > 0.0f) {
        if (drag > 0.0f) {
            // Drag stops the point but never turns it round.
            const V3 d = normalize(velocity) * (-t * drag);
            if (squaredLength(d) <= s2)
                velocity = velocity + d;
            else
                velocity = V3(0.0f, 0.0f, 0.0f);
        }
        if (maxSpeed * maxSpeed < s2) {
            const float k = maxSpeed * maxSpeed / s2;
            velocity = velocity * k;
        }
        previousPosition = position;
        position = position + velocity * t;
    }
    force = V3(0.0f, 0.0f, 0.0f);
}
