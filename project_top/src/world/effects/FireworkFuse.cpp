#include "FireworkFuse.h"

#include "Firework.h"
#include "util/PlimMath.h"
#include "world/World.h"

FireworkFuse::FireworkFuse(const V3& at, const V3& velocity, double minFuse, double maxFuse, UColor burstColour)
    : x(at.x), y(at.y), z(at.z), vx(velocity.x), vy(velocity.y), vz(velocity.z), colour(burstColour) {
    fuseTime = minFuse + double(World::fraction()) * (maxFuse - minFuse);
    sparkInterval = World::detail() > 0 ? SPARK_INTERVAL : SPARK_INTERVAL_LOW;
}

FireworkFuse::FireworkFuse(float px, float py, float pz, float pvx, float pvy, float pvz, double minFuse,
                           double maxFuse, UColor burstColour)
    : FireworkFuse(V3(px, py, pz), V3(pvx, pvy, pvz), minFuse, maxFuse, burstColour) {}

FireworkFuse::~FireworkFuse() {}

void FireworkFuse::tick(double, double dt) {
    // Bursts join the layer this fuse is in; a fuse outside any has none.
    BasicLink* layer = parent;
    const V3 at(x, y, z);
    elapsed += dt;
    if (elapsed >= fuseTime && !bDestroyPending) {
        const int flares = World::detail() != 0 ? BURST_FLARES : BURST_FLARES_LOW;
        Emission burst(at);
        burst.particles(flares).speeds(50.0f, 150.0f).toward(HALF_PI).spreading(TWO_PI).scaled(3.0f);
        if (layer) layer->addChild(new Firework(burst, colour));
        World::playAt("fireworkBang", at);
        bDestroyPending = true;
    }
    sparkTimer += dt;
    if (sparkTimer >= sparkInterval) {
        sparkTimer = 0.0;
        double t = fuseTime > 0.0 ? elapsed / fuseTime : 1.0;
        if (t < 0.0) t = 0.0;
        if (t > 1.0) t = 1.0;
        Emission trail(at);
        trail.particles(3).speeds(25.0f, 50.0f).spreading(TWO_PI).scaled(float(2.0 - 2.0 * t));
        if (layer) layer->addChild(new Firework(trail, UColor::WHITE));
    }
    const float step = float(dt);
    vx += ax * step;
    vy += ay * step;
    vz += az * step;
    x += vx * step;
    y += vy * step;
    z += vz * step;
}
