#include "Explosion.h"

#include "world/World.h"

Explosion::Explosion(const Emission& shape) : Explosion("explosion", shape) {}

Explosion::Explosion(const char* framesName, const Emission& shape) : ParticleBurst(DEFAULT_DECAY) {
    frames = World::frames(framesName);
    launch(shape, [&shape](Sparc& p, float) {
        p.scale.x = shape.scale;
        p.scale.y = shape.scale;
        const V3 turn = randomSpin();
        p.setup(nullptr, &shape.origin, &turn, nullptr);
    });
}

void Explosion::tick(double, double dt) {
    const float t = float(dt);
    advance(t, [&](Sparc& p) {
        const V3 at = drift(p, t);
        p.setup(burntFrame(p, maxSpeed), &at, nullptr, nullptr);
    });
}
