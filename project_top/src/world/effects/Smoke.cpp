#include "Smoke.h"

Smoke::Smoke(const Emission& shape, UColor colour) : Explosion("smoke", shape) {
    for (int i = 0; i < count; ++i) particles[i].color = colour;
}

Smoke::~Smoke() {}
