#include "BomberBomb.h"

#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

BomberBomb::BomberBomb(float x, float y, float z, float vx, float vy, float vz, float rx, float ry, float rz)
    : Projectile(-1), wobblePhase(World::fraction() * TWO_PI) {
    acceleration = V3(0.0f, -GRAVITY, 0.0f);
    collisionSensitivity = 0.75f;
    velocity = V3(vx, vy, vz);
    pSkin = picture(PICTURE_BOMBER_BOMB);
    updateVisuals();
    position = V3(x, y, z);
    rotation = V3(rx, ry, rz);
    updateVisuals();
}

BomberBomb::~BomberBomb() {}

void BomberBomb::tick(double time, double dt) {
    step(dt);
    rotation.z = ROCK_ANGLE * std::sin(wobblePhase + ROCK_RATE * float(time));
    updateVisuals();
}

void BomberBomb::onEnterWater() { sink(); }

void BomberBomb::onDestroyed(GameObject *by) {
    GameObject::onDestroyed(by);
    bombExplosion();
}
