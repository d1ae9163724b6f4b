#include "Splash.h"

#include "render/Texture.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
// The drops' frame runs over this fixed speed range, whatever the splash's.
const float FRAME_SPAN = 400.0f;
const float DROP_DROP = 4.0f; // drops start this far below the surface
} // namespace

Splash::Splash(const Emission& shape)
    : ParticleBurst(DECAY), originX(shape.origin.x), originY(shape.origin.y), originZ(shape.origin.z) {
    frames = World::frames("splash");
    ringFrames = World::frames("circularSplash");
    ring.position = shape.origin;
    ring.scale.x = shape.scale;
    ring.scale.y = shape.scale;
    const V3 at(originX, originY - DROP_DROP, originZ);
    // Each drop is turned against its offset: no spin drawn.
    launch(shape, [&](Sparc& p, float offset) {
        p.scale.x = shape.scale;
        p.scale.y = shape.scale;
        const V3 turn(0.0f, 0.0f, shape.direction - 2.0f * offset);
        p.setup(nullptr, &at, &turn, nullptr);
    });
}

Splash::Splash(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction, float spread,
               float scale)
    : Splash(Emission(x, y, z, count, minSpeed, maxSpeed, direction, spread, scale)) {}

// The particles go before the ring.
Splash::~Splash() { releaseParticles(); }

void Splash::tick(double, double dt) {
    const float t = float(dt);
    elapsed += dt;
    if (elapsed < RING_TIME) {
        Skin* skin = World::frame(ringFrames, int(std::floor(elapsed * double(ringFrames->skins.size()))));
        if (skin != ring.pSkin) ring.setup(skin, nullptr, nullptr, nullptr);
    }
    const int frameCount = int(frames->skins.size());
    advance(t, [&](Sparc& p) {
        V3 at = p.position;
        // A drop that has fallen back to the surface rests there.
        if (p.vy > 0.0f || at.y > originY) at = drift(p, t);
        p.vy -= GRAVITY * t;
        Skin* skin = World::frame(frames, int(float(frameCount) * (FRAME_SPAN - p.life) / (FRAME_SPAN + 1.0f)));
        if (skin != p.pSkin) p.setup(skin, nullptr, nullptr, nullptr);
        p.setup(nullptr, &at, nullptr, nullptr);
    });
}

void Splash::render() {
    if (elapsed < RING_TIME && ring.pSkin) ring.render();
    ParticleBurst::render();
}
