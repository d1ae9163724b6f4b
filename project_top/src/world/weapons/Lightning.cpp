#include "Lightning.h"

#include "audio/SoundChannel.h"
#include "world/World.h"

#include <cmath>

namespace {
const double HIT_TOLERANCE = 1e-9;
}

Lightning::Lightning(int owner, float x, float y, float z, float angle) : Beam(owner, x, y, z, angle, "lightning") {
    contactDamage = 0.04f;
    fireChannel = new SoundChannel(World::sound("lightningFire"));
}

Lightning::~Lightning() {
    fireChannel->stop();
    fireChannel->deleteMe();
}

void Lightning::tick(double, double dt) {
    rotation.z = heading;
    updateVisuals();
    if (fade == 0.0) {
        hitTimer += dt;
        // A hair of tolerance: five frames of 0.01 s sum to a little under 0.05.
        if (hitTimer >= hitInterval - HIT_TOLERANCE) {
            // The remainder is dropped: at most one hit per interval.
            hitTimer = 0.0;
            float distSq = 0.0f;
            GameObject *target = findTarget(distSq);
            if (!target) {
                setLength(MAX_LENGTH);
            } else {
                velocity = V3(HIT_SPEED * std::cos(heading), HIT_SPEED * std::sin(heading), 0.0f);
                dealDamage(target, contactDamage);
                setLength(std::sqrt(distSq));
                World::playAt("lightningHit", target->position);
            }
        }
    }
    shimmer();
    // The sound is asked for again whenever it has stopped.
    fireChannel->setPanFromX(position);
    if (!fireChannel->isPlaying()) fireChannel->play();
    // Colour from the fade, then the fade advances.
    fadeOut(dt);
}

void Lightning::render() {
    Renderable::render();
    const float size = 1.0f + World::fraction();
    drawFlare(position, size, 1);
    drawFlare(farEnd(), size, 2);
}
