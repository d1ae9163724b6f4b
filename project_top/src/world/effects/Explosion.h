#pragma once
// A burst of animated fire particles ("explosion" frames) flying straight out
// from a point. Not a Renderable: it moves and draws its own particle array,
// and sets bDestroyPending once every particle has died, so the layer holding
// it deletes it. Creators play their own sound and add it to a layer.
#include "core/PlimBase.h"

class Sparc;
class Texture;

class Explosion : public PlimBase {
public:
    static constexpr float DEFAULT_DECAY = 64.0f;

    // direction and spread in radians (0 = +x, pi/2 = up), speeds in units per
    // second, scale the particles' x/y scale. A negative count is 0.
    Explosion(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction, float spread,
              float scale);
    ~Explosion() override;

    // Neither calls PlimBase's: no state, no children.
    void tick(double time, double dt) override;
    void render() override;

    // Particles with life left.
    int liveParticles() const;

    float decayRate = DEFAULT_DECAY; // life units per second
    Sparc* particles = nullptr;      // owned, count elements
    int32_t count = 0;
    float maxSpeed = 0.0f;
    Texture* frames = nullptr; // not owned

protected:
    // The same burst over another animation.
    Explosion(const char* framesName, float x, float y, float z, int count, float minSpeed, float maxSpeed,
              float direction, float spread, float scale);
};
