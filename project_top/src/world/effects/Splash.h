#pragma once
// Drops thrown up where something enters the sea ("splash" frames), falling
// back under gravity and resting on the surface, with an expanding ring
// ("circularSplash") shown over the first second. Ends itself like Explosion.
#include "core/PlimBase.h"
#include "render/Renderable.h"

class Sparc;
class Texture;

class Splash : public PlimBase {
public:
    static constexpr float GRAVITY = 768.0f;
    static constexpr float DECAY = 192.0f;
    static constexpr double RING_TIME = 1.0;

    // As Explosion; y is the water surface there.
    Splash(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction, float spread,
           float scale);
    ~Splash() override;

    void tick(double time, double dt) override;
    void render() override;

    int liveParticles() const;

    float originX = 0.0f;
    float originY = 0.0f;
    float originZ = 0.0f;
    int32_t count = 0;
    Sparc* particles = nullptr; // owned
    Renderable ring;
    double elapsed = 0.0;
    Texture* frames = nullptr;     // not owned
    Texture* ringFrames = nullptr; // not owned
};
