#pragma once
// Drops thrown up where something enters the sea ("splash" frames), falling
// back under gravity and resting on the surface, with an expanding ring
// ("circularSplash") shown over the first second. Ends itself like Explosion.
#include "ParticleBurst.h"
#include "render/Renderable.h"

class Splash : public ParticleBurst {
public:
    static constexpr float GRAVITY = 768.0f;
    static constexpr float DECAY = 192.0f;

    // As Explosion; the origin's y is the water surface there.
    explicit Splash(const Emission& shape);
    ~Splash() override;

    void tick(double time, double dt) override;
    // The ring while it plays, then the drops.
    void render() override;

    V3 origin;
    // The ring plays once over its first RING_TIME seconds, then is hidden.
    static constexpr double RING_TIME = 1.0;
    Renderable ring;
    double elapsed = 0.0;          // seconds since creation
    Texture* ringFrames = nullptr; // not owned
};
