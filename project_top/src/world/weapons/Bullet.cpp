#include "Bullet.h"

#include "world/World.h"
#include "Projectile.h"

#include <cmath>

Bullet::Bullet(int owner, float x, float y, float z, float vx, float vy, float vz) : GameObject(owner) {
    contactDamage = 0.2f;
    collisionSensitivity = 0.75f;
    velocity = V3(vx, vy, vz);
    pSkin = Projectile::picture(Projectile::PICTURE_BULLET);
    updateVisuals();
    position = V3(x, y, z);
    updateVisuals();
    heading = std::atan2(vy, vx);
}

Bullet::~Bullet() {}

void Bullet::tick(double, double dt) {
    const float t = float(dt);
    position.x += velocity.x * t;
    position.y += velocity.y * t;
    position.z += velocity.z * t;
    updateVisuals();
    // Tested every tick, not only at the crossing.
    if (position.y < WATER_LINE) {
        bDestroyPending = true;
        Projectile::splashAt(position, 100.0f);
        World::playAt("smallSplash", position);
    }
    removeWhenLeavingView();
}

void Bullet::onDestroyed(GameObject *by) {
    GameObject::onDestroyed(by);
    Projectile::explodeAt(position, std::atan2(velocity.y, velocity.x), 5, 40.0f, 50.0f, 0.5f);
}
