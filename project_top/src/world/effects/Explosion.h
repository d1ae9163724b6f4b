#pragma once
// A burst of animated fire particles ("explosion" frames) flying straight out
// from a point; ends itself once every particle has died (ParticleBurst).
// Creators play their own sound and add it to a layer.
#include "ParticleBurst.h"

class Explosion : public ParticleBurst {
public:
    static constexpr float DEFAULT_DECAY = 64.0f;

    // A negative count is 0.
    explicit Explosion(const Emission& shape);

    // Does not call PlimBase's: no state, no children.
    void tick(double time, double dt) override;

protected:
    // The same burst over another animation.
    Explosion(const char* framesName, const Emission& shape);
};
