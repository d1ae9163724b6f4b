#include "Laser.h"

#include "world/World.h"

#include <cmath>

Laser::Laser(int owner, float x, float y, float z, float angle) : Beam(owner, x, y, z, angle, "laser") {
    contactDamage = 0.4f;
}

Laser::~Laser() {}

void Laser::tick(double, double dt) {
    if (bFirstTick) {
        bFirstTick = false;
        float distSq = 0.0f;
        GameObject *target = findTarget(distSq);
        if (!target) {
            setLength(MAX_LENGTH);
            World::playAt("laserFire", position);
        } else {
            velocity = V3(HIT_SPEED * std::cos(heading), HIT_SPEED * std::sin(heading), 0.0f);
            dealDamage(target, contactDamage);
            setLength(std::sqrt(distSq));
            World::playAt("laserHit", position);
        }
    }
    shimmer();
    fadeOut(dt);
}

void Laser::render() {
    Renderable::render();
    drawFlare(farEnd(), FLARE_SCALE, 2);
}
