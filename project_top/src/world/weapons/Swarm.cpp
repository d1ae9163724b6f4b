#include "Swarm.h"

#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

Swarm::Swarm(int owner, float x, float y, float z, float angle, float launchSpeed)
    : Projectile(owner), speed(launchSpeed) {
    // The draws go in this order: phase, frequency, amplitude, size.
    wobblePhase = World::fraction() * 2.0f * PI;
    wobbleFrequency = 8.0f + 8.0f * World::fraction();
    const float u = World::fraction();
    wobbleAmplitude = u * u * PI / 4.0f;
    contactDamage = 0.05f;
    heading = angle;
    const float size = 1.0f - 0.5f * World::fraction();
    scale = V3(size, size, 1.0f);
    collisionSensitivity = 0.75f;
    const V3 at(x, y, z);
    const V3 turned(0.0f, 0.0f, angle);
    setup(picture(PICTURE_SWARM), &at, &turned, nullptr);
}

Swarm::~Swarm() {}

void Swarm::tick(double time, double dt) {
    const float dir =
        heading + wobbleAmplitude * float(std::sin((double(wobblePhase) + time) * double(wobbleFrequency)));
    velocity = V3(speed * std::cos(dir), speed * std::sin(dir), 0.0f);
    rotation.z = dir;
    updateVisuals();
    const float t = float(dt);
    position.x += velocity.x * t;
    position.y += velocity.y * t;
    updateVisuals();
    removeWhenLeavingView();
}

void Swarm::onDestroyed(GameObject *by) {
    GameObject::onDestroyed(by);
    World::playAt("bubbleBurst", position);
}
