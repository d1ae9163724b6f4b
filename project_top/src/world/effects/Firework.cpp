#include "Firework.h"

#include "Sparc.h"
#include "render/Texture.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

Firework::Firework(float x, float y, float z, int n, float minSpeed, float topSpeed, float direction, float spread,
                   float flareScale, UColor colour)
    : count(n < 0 ? 0 : n), maxSpeed(topSpeed), scale(flareScale) {
    flare = World::frame(World::frames("flare"), 0);
    particles = count > 0 ? new Sparc[count] : nullptr;
    const V3 at(x, y, z);
    for (int i = 0; i < count; ++i) {
        Sparc& p = particles[i];
        const float offset = World::fraction() * spread - spread / 2.0f;
        const float angle = direction + offset;
        const V3 turn(0.0f, 0.0f, World::fraction() * TWO_PI);
        p.setup(nullptr, &at, &turn, nullptr);
        const float speed = minSpeed + World::fraction() * (topSpeed - minSpeed);
        p.vx = speed * std::cos(angle);
        p.vy = speed * std::sin(angle);
        p.color = colour;
        p.life = speed;
        if (spread > 0.0f && spread < TWO_PI) p.life = speed * (1.0f - 0.9f * std::fabs(offset) / (spread / 2.0f));
    }
}

Firework::~Firework() { delete[] particles; }

void Firework::tick(double, double dt) {
    const float t = float(dt);
    bool anyAlive = false;
    for (int i = 0; i < count; ++i) {
        Sparc& p = particles[i];
        if (p.life <= 0.0f) continue;
        anyAlive = true;
        const V3 at(p.position.x + p.vx * t, p.position.y + p.vy * t, p.position.z);
        p.vy -= GRAVITY * t;
        const float s = p.life / (maxSpeed + 1.0f) * (scale - MIN_SCALE) + MIN_SCALE;
        const V3 size(s, s, p.scale.z);
        p.setup(flare, &at, nullptr, &size);
        p.life -= decayRate * t;
    }
    if (!anyAlive) bDestroyPending = true;
}

void Firework::render() {
    for (int i = 0; i < count; ++i)
        if (particles[i].life > 0.0f) particles[i].render();
}

int Firework::liveParticles() const {
    int alive = 0;
    for (int i = 0; i < count; ++i)
        if (particles[i].life > 0.0f) ++alive;
    return alive;
}
