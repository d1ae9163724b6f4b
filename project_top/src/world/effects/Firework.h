#pragma once
// A burst of coloured flares ("flare", first sub-image) that fly apart, fall
// under gravity and shrink as they burn out; ends itself like Explosion.
#include "ParticleBurst.h"
#include "util/UColor.h"

class Skin;

class Firework : public ParticleBurst {
public:
    static constexpr float DECAY = 128.0f;
    static constexpr float GRAVITY = 128.0f;

    // The emission's scale is the flares' size at full life.
    Firework(const Emission& shape, UColor colour);

    void tick(double time, double dt) override;

    // The flares shrink from scale towards MIN_SCALE as they burn out.
    static constexpr float MIN_SCALE = 0.1f;
    float scale = 1.0f;
    Skin* flare = nullptr; // the frames' first picture; not owned
};
