#include "Explosion.h"

#include "Sparc.h"
#include "render/Texture.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

Explosion::Explosion(float x, float y, float z, int count, float minSpeed, float maxSpeed, float direction,
                     float spread, float scale)
    : Explosion("explosion", x, y, z, count, minSpeed, maxSpeed, direction, spread, scale) {}

Explosion::Explosion(const char* framesName, float x, float y, float z, int n, float minSpeed, float topSpeed,
                     float direction, float spread, float scale)
    : count(n < 0 ? 0 : n), maxSpeed(topSpeed) {
    frames = World::frames(framesName);
    particles = count > 0 ? new Sparc[count] : nullptr;
    const V3 at(x, y, z);
    for (int i = 0; i < count; ++i) {
        Sparc& p = particles[i];
        const float offset = World::fraction() * spread - spread / 2.0f;
        p.scale.x = scale;
        p.scale.y = scale;
        const V3 turn(0.0f, 0.0f, World::fraction() * TWO_PI);
        p.setup(nullptr, &at, &turn, nullptr);
        const float speed = minSpeed + World::fraction() * (topSpeed - minSpeed);
        p.vx = speed * std::cos(direction + offset);
        p.vy = speed * std::sin(direction + offset);
        p.life = speed;
        // Particles at the edges of a partial cone burn out sooner.
        if (spread > 0.0f && spread < TWO_PI) p.life = speed * (1.0f - 0.9f * std::fabs(offset) / (spread / 2.0f));
    }
}

Explosion::~Explosion() { delete[] particles; }

void Explosion::tick(double, double dt) {
    const float t = float(dt);
    const int frameCount = int(frames->skins.size());
    bool anyAlive = false;
    for (int i = 0; i < count; ++i) {
        Sparc& p = particles[i];
        if (p.life <= 0.0f) continue;
        anyAlive = true;
        const V3 at(p.position.x + p.vx * t, p.position.y + p.vy * t, p.position.z);
        const int index = int(float(frameCount) * (maxSpeed - p.life) / (maxSpeed + 1.0f));
        p.setup(World::frame(frames, index), &at, nullptr, nullptr);
        p.life -= decayRate * t;
    }
    if (!anyAlive) bDestroyPending = true;
}

void Explosion::render() {
    for (int i = 0; i < count; ++i)
        if (particles[i].life > 0.0f) particles[i].render();
}

int Explosion::liveParticles() const {
    int alive = 0;
    for (int i = 0; i < count; ++i)
        if (particles[i].life > 0.0f) ++alive;
    return alive;
}
