#include "Firework.h"

#include "render/Texture.h"
#include "world/World.h"

Firework::Firework(const Emission& shape, UColor colour) : ParticleBurst(DECAY), scale(shape.scale) {
    frames = World::frames("flare");
    flare = World::frame(frames, 0);
    // The flares keep scale 1 until their first tick sizes them.
    launch(shape, [&](Sparc& p, float) {
        const V3 turn = randomSpin();
        p.setup(nullptr, &shape.origin, &turn, nullptr);
        p.color = colour;
    });
}

void Firework::tick(double, double dt) {
    const float t = float(dt);
    advance(t, [&](Sparc& p) {
        const V3 at = drift(p, t);
        p.vy -= GRAVITY * t;
        const float s = p.life / (maxSpeed + 1.0f) * (scale - MIN_SCALE) + MIN_SCALE;
        const V3 size(s, s, p.scale.z);
        p.setup(flare, &at, nullptr, &size);
    });
}
