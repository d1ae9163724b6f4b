#pragma once
// An Explosion drawn with the "smoke" frames, every puff in one colour.
#include "util/UColor.h"
#include "Explosion.h"

class Smoke : public Explosion {
public:
    Smoke(const Emission& shape, UColor colour);
    Smoke(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction, float spread,
          float scale, UColor colour);
    ~Smoke() override;
};
