#include "Smoke.h"

#include "Sparc.h"

Smoke::Smoke(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction, float spread,
             float scale, UColor colour)
    : Explosion("smoke", x, y, z, count, minSpeed, maxSpeed, direction, spread, scale) {
    for (int i = 0; i < this->count; ++i) particles[i].color = colour;
}

Smoke::~Smoke() {}
