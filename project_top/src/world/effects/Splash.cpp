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

Splash::Splash(const Emission& shape) : ParticleBurst(DECAY), origin(shape.origin) {
    frames = World::frames("splash");
    ringFrames = World::frames("circularSplash");
    ring.position = shape.origin;
    ring.scale.x = shape.scale;
    ring.scale.y = shape.scale;
    const V3 at(origin.x, origin.y - DROP_DROP, origin.z);
    // Each drop is turned against its offset: no spin drawn.
    launch(shape, [&](Sparc& p, float offset) {
        p.scale.x = shape.scale;
        p.scale.y = shape.scale;
        const V3 turn(0.0f, 0.0f, shape.direction - 2.0f * offset);
        p.setup(nullptr, &at, &turn, nullptr);
    });
}

// The particles go before the ring.
Splash::~Splash() { releaseParticles(); }

void Splash::tick(double, double dt) {
    const float t = float(dt);
    elapsed += dt;
    if (elapsed < RING_TIME) {
        Skin* skin = World::frame(ringFrames, int(std::floor(elapsed * double(ringFrames->skins.size()))));
        if (skin != ring.pSkin) ring.setup(skin, nullptr, nullptr, nullptr);
    }
    advance(t, [&](Sparc& p) {
        V3 at = p.position;
        // A drop that has fallen back to the surface rests there.
        if (p.vy > 0.0f || at.y > origin.y) at = drift(p, t);
        p.vy -= GRAVITY * t;
        Skin* skin = burntFrame(p, FRAME_SPAN);
        if (skin != p.pSkin) p.setup(skin, nullptr, nullptr, nullptr);
        p.setup(nullptr, &at, nullptr, nullptr);
    });
}

void Splash::render() {
    if (elapsed < RING_TIME && ring.pSkin) ring.render();
    ParticleBurst::render();
}
