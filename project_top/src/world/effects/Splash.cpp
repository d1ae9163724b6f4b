#include "Splash.h"

#include "Sparc.h"
#include "render/Texture.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
// The drops' frame runs over this fixed speed range, whatever the splash's.
const float FRAME_SPAN = 400.0f;
const float DROP_DROP = 4.0f; // drops start this far below the surface
} // namespace

Splash::Splash(float x, float y, float z, int n, float minSpeed, float maxSpeed, float direction, float spread,
               float scale)
    : originX(x), originY(y), originZ(z), count(n < 0 ? 0 : n) {
    frames = World::frames("splash");
    ringFrames = World::frames("circularSplash");
    ring.position = V3(x, y, z);
    ring.scale.x = scale;
    ring.scale.y = scale;
    particles = count > 0 ? new Sparc[count] : nullptr;
    const V3 at(x, y - DROP_DROP, z);
    for (int i = 0; i < count; ++i) {
        Sparc& p = particles[i];
        const float offset = World::fraction() * spread - spread / 2.0f;
        p.scale.x = scale;
        p.scale.y = scale;
        const V3 turn(0.0f, 0.0f, direction - 2.0f * offset);
        p.setup(nullptr, &at, &turn, nullptr);
        const float speed = minSpeed + World::fraction() * (maxSpeed - minSpeed);
        p.vx = speed * std::cos(direction + offset);
        p.vy = speed * std::sin(direction + offset);
        p.life = speed;
        if (spread > 0.0f && spread < TWO_PI) p.life = speed * (1.0f - 0.9f * std::fabs(offset) / (spread / 2.0f));
    }
}

Splash::~Splash() { delete[] particles; }

void Splash::tick(double, double dt) {
    const float t = float(dt);
    elapsed += dt;
    if (elapsed < RING_TIME) {
        Skin* skin = World::frame(ringFrames, int(std::floor(elapsed * double(ringFrames->skins.size()))));
        if (skin != ring.pSkin) ring.setup(skin, nullptr, nullptr, nullptr);
    }
    const int frameCount = int(frames->skins.size());
    bool anyAlive = false;
    for (int i = 0; i < count; ++i) {
        Sparc& p = particles[i];
        if (p.life <= 0.0f) continue;
        anyAlive = true;
        V3 at = p.position;
        // A drop that has fallen back to the surface rests there.
        if (p.vy > 0.0f || at.y > originY) {
            at.x += p.vx * t;
            at.y += p.vy * t;
        }
        p.vy -= GRAVITY * t;
        Skin* skin = World::frame(frames, int(float(frameCount) * (FRAME_SPAN - p.life) / (FRAME_SPAN + 1.0f)));
        if (skin != p.pSkin) p.setup(skin, nullptr, nullptr, nullptr);
        p.setup(nullptr, &at, nullptr, nullptr);
        p.life -= DECAY * t;
    }
    if (!anyAlive) bDestroyPending = true;
}

void Splash::render() {
    if (elapsed < RING_TIME && ring.pSkin) ring.render();
    for (int i = 0; i < count; ++i)
        if (particles[i].life > 0.0f) particles[i].render();
}

int Splash::liveParticles() const {
    int alive = 0;
    for (int i = 0; i < count; ++i)
        if (particles[i].life > 0.0f) ++alive;
    return alive;
}
