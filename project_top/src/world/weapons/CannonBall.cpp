#include "CannonBall.h"

CannonBall::CannonBall(int owner, float x, float y, float z, float vx, float vy, float vz) : Projectile(owner) {
    acceleration = V3(0.0f, -GRAVITY, 0.0f);
    contactDamage = 0.2f;
    bOrientToVelocity = true;
    collisionSensitivity = 0.75f;
    velocity = V3(vx, vy, vz);
    pSkin = picture(PICTURE_CANNON_BALL);
    updateVisuals();
    position = V3(x, y, z);
    updateVisuals();
}

CannonBall::~CannonBall() {}

void CannonBall::onEnterWater() { sink(); }

void CannonBall::onDestroyed(GameObject *by) {
    GameObject::onDestroyed(by);
    explode(40.0f, 50.0f);
}
