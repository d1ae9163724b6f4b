#pragma once
// What Explosion, Smoke, Splash and Firework share: a fixed array of particles
// thrown out of a cone from one point, each burning its life down at the decay
// rate, drawn while it has life left; the effect sets bDestroyPending at the
// first tick that finds none alive, so the layer holding it deletes it.
// Not a Renderable: the particles are plain array elements, not tree children.
#include "core/PlimBase.h"
#include "Emission.h"
#include "Sparc.h"

class Skin;
class Texture;

class ParticleBurst : public PlimBase {
public:
    ~ParticleBurst() override;

    // The live particles in array order; PlimBase's is not called (no children).
    void render() override;
    // Particles with life left.
    int liveParticles() const;

    float decayRate;            // life units per second
    Sparc* particles = nullptr; // owned, count elements
    int32_t count = 0;
    float maxSpeed = 0.0f; // the emission's, kept for the frame and size formulas
    Texture* frames = nullptr; // the particles' animation; not owned

protected:
    explicit ParticleBurst(float decay) : decayRate(decay) {}

    // Makes shape.count particles (none for a negative count) and throws each:
    // its offset in the cone drawn, then place(particle, offset) sets it up (it
    // may draw once, for a spin), then its speed drawn. The random generator
    // feeds later events, so the draws keep this order.
    template <class Place>
    void launch(const Emission& shape, Place place) {
        allocate(shape);
        for (int i = 0; i < count; ++i) {
            const float offset = drawOffset(shape.spread);
            place(particles[i], offset);
            throwAlong(particles[i], shape, offset);
        }
    }

    // step(particle), then its life burns down, for every particle with life
    // left; with none left the effect ends.
    template <class Step>
    void advance(float dt, Step step) {
        bool anyAlive = false;
        for (int i = 0; i < count; ++i) {
            Sparc& p = particles[i];
            if (p.life <= 0.0f) continue;
            anyAlive = true;
            step(p);
            p.life -= decayRate * dt;
        }
        if (!anyAlive) bDestroyPending = true;
    }

    // Where a particle is after dt along its velocity, z unchanged.
    static V3 drift(const Sparc& p, float dt);
    // A rotation about z drawn at random: one draw.
    static V3 randomSpin();
    // The frame of frames a particle shows: the first with span of life left,
    // on towards the last as it burns out.
    Skin* burntFrame(const Sparc& p, float span) const;
    // Frees the particles; safe twice.
    void releaseParticles();

private:
    void allocate(const Emission& shape);
    static float drawOffset(float spread);
    // Draws the speed; the velocity takes all of it, the life less of it
    // towards the edges of a partial cone.
    static void throwAlong(Sparc& p, const Emission& shape, float offset);
};
