#include "Smoke.h"

Smoke::Smoke(const Emission& shape, UColor colour) : Explosion("smoke", shape) {
    for (int i = 0; i < count; ++i) particles[i].color = colour;
}

Smoke::Smoke(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction, float spread,
             float scale, UColor colour)
    : Smoke(Emission(x, y, z, count, minSpeed, maxSpeed, direction, spread, scale), colour) {}

Smoke::~Smoke() {}
