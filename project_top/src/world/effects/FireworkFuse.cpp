#include "FireworkFuse.h"

#include "Firework.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const UColor WHITE(255, 255, 255, 255);
} // namespace

FireworkFuse::FireworkFuse(float px, float py, float pz, float pvx, float pvy, float pvz, double minFuse,
                           double maxFuse, UColor burstColour)
    : x(px), y(py), z(pz), vx(pvx), vy(pvy), vz(pvz), colour(burstColour) {
    fuseTime = minFuse + double(World::fraction()) * (maxFuse - minFuse);
    sparkInterval = World::detail() > 0 ? SPARK_INTERVAL : SPARK_INTERVAL_LOW;
}

FireworkFuse::~FireworkFuse() {}

void FireworkFuse::tick(double, double dt) {
    // Bursts join the layer this fuse is in; a fuse outside any has none.
    BasicLink* layer = parent;
    elapsed += dt;
    if (elapsed >= fuseTime && !bDestroyPending) {
        const int flares = World::detail() != 0 ? BURST_FLARES : BURST_FLARES_LOW;
        if (layer)
            layer->addChild(new Firework(x, y, z, flares, 50.0f, 150.0f, HALF_PI, TWO_PI, 3.0f, colour));
        World::playAt("fireworkBang", V3(x, y, z));
        bDestroyPending = true;
    }
    sparkTimer += dt;
    if (sparkTimer >= sparkInterval) {
        sparkTimer = 0.0;
        double t = fuseTime > 0.0 ? elapsed / fuseTime : 1.0;
        if (t < 0.0) t = 0.0;
        if (t > 1.0) t = 1.0;
        if (layer) layer->addChild(new Firework(x, y, z, 3, 25.0f, 50.0f, 0.0f, TWO_PI, float(2.0 - 2.0 * t), WHITE));
    }
    const float step = float(dt);
    vx += ax * step;
    vy += ay * step;
    vz += az * step;
    x += vx * step;
    y += vy * step;
    z += vz * step;
}
