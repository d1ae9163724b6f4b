#include "Explosion.h"

#include "render/Texture.h"
#include "world/World.h"

Explosion::Explosion(const Emission& shape) : Explosion("explosion", shape) {}

Explosion::Explosion(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction,
                     float spread, float scale)
    : Explosion(Emission(x, y, z, count, minSpeed, maxSpeed, direction, spread, scale)) {}

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
    const int frameCount = int(frames->skins.size());
    advance(t, [&](Sparc& p) {
        const V3 at = drift(p, t);
        const int index = int(float(frameCount) * (maxSpeed - p.life) / (maxSpeed + 1.0f));
        p.setup(World::frame(frames, index), &at, nullptr, nullptr);
    });
}
