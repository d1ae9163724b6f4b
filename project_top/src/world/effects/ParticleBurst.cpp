#include "ParticleBurst.h"

#include "render/Texture.h"
#include "util/PlimMath.h"
#include "world/World.h"

#include <cmath>

namespace {
// Life at the very edge of a partial cone, as a share of the speed: 1 - 0.9.
const float EDGE_BURN = 0.9f;
} // namespace

ParticleBurst::~ParticleBurst() { releaseParticles(); }

void ParticleBurst::render() {
    for (int i = 0; i < count; ++i)
        if (particles[i].life > 0.0f) particles[i].render();
}

int ParticleBurst::liveParticles() const {
    int alive = 0;
    for (int i = 0; i < count; ++i)
        if (particles[i].life > 0.0f) ++alive;
    return alive;
}

V3 ParticleBurst::drift(const Sparc& p, float dt) {
    return V3(p.position.x + p.vx * dt, p.position.y + p.vy * dt, p.position.z);
}

V3 ParticleBurst::randomSpin() { return V3(0.0f, 0.0f, World::fraction() * TWO_PI); }

Skin* ParticleBurst::burntFrame(const Sparc& p, float span) const {
    const int frameCount = int(frames->skins.size());
    return World::frame(frames, int(float(frameCount) * (span - p.life) / (span + 1.0f)));
}

void ParticleBurst::releaseParticles() {
    delete[] particles;
    particles = nullptr;
    count = 0;
}

void ParticleBurst::allocate(const Emission& shape) {
    count = shape.count < 0 ? 0 : shape.count;
    maxSpeed = shape.maxSpeed;
    particles = count > 0 ? new Sparc[count] : nullptr;
}

float ParticleBurst::drawOffset(float spread) { return World::fraction() * spread - spread / 2.0f; }

void ParticleBurst::throwAlong(Sparc& p, const Emission& shape, float offset) {
    const float speed = shape.minSpeed + World::fraction() * (shape.maxSpeed - shape.minSpeed);
    p.vx = speed * std::cos(shape.direction + offset);
    p.vy = speed * std::sin(shape.direction + offset);
    p.life = speed;
    const float spread = shape.spread;
    if (spread > 0.0f && spread < TWO_PI) p.life = speed * (1.0f - EDGE_BURN * std::fabs(offset) / (spread / 2.0f));
}
