#pragma once
// An Explosion drawn with the "smoke" frames, every puff in one colour.
#include "util/UColor.h"
#include "Explosion.h"

class Smoke : public Explosion {
public:
    Smoke(const Emission& shape, UColor colour);
    ~Smoke() override;
};
