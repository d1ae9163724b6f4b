#pragma once
// Where a particle effect starts and how it throws its particles, named at the
// call: Emission(at).particles(10).speeds(0.0f, 50.0f).toward(heading)
// .spreading(PI).scaled(1.5f). Angles in radians (0 = +x, pi/2 = up), speeds
// in units per second; what is not named is 0, the scale 1.
#include "util/V3.h"

struct Emission {
    explicit Emission(const V3& at) : origin(at) {}

    Emission& particles(int n) { count = n; return *this; }
    Emission& speeds(float lowest, float highest) { minSpeed = lowest; maxSpeed = highest; return *this; }
    // The middle of the cone.
    Emission& toward(float radians) { direction = radians; return *this; }
    // The cone's full width: 0 a single line, 2 pi a full circle.
    Emission& spreading(float radians) { spread = radians; return *this; }
    // The particles' x/y scale.
    Emission& scaled(float factor) { scale = factor; return *this; }

    V3 origin;
    int count = 0;
    float minSpeed = 0.0f, maxSpeed = 0.0f;
    float direction = 0.0f, spread = 0.0f;
    float scale = 1.0f;
};
