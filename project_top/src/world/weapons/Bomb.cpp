#include "Bomb.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Smoke.h"

#include <cmath>

Bomb::Bomb(int owner, float x, float y, float z, float vx, float vy, float vz) : Projectile(owner) {
    acceleration = V3(0.0f, -GRAVITY, 0.0f);
    bOrientToVelocity = true;
    collisionSensitivity = 0.9f;
    velocity = V3(vx, vy, vz);
    pSkin = picture(PICTURE_BOMB);
    updateVisuals();
    position = V3(x, y, z);
    updateVisuals();
}

Bomb::~Bomb() {}

void Bomb::tick(double, double dt) {
    step(dt);
    age += dt;
    GameController *game = GameController::current();
    if (game && game->bLimitBombRange && age > RANGE_TIME) {
        Emission puff(position);
        puff.particles(1).speeds(15.0f, 20.0f).toward(heading);
        World::add(GameController::LAYER_FIREWORKS, new Smoke(puff, UColor::WHITE));
        bDestroyPending = true;
    }
}

void Bomb::onEnterWater() {
    GameController *game = GameController::current();
    if (!game || !game->bBouncyBombs) {
        bDestroyPending = true;
    } else {
        if (velocity.y < 0.0f) velocity.y = std::fabs(velocity.y) * 0.5f;
        if (velocity.y < MIN_BOUNCE_SPEED) bDestroyPending = true;
    }
    splashAt(position, 200.0f);
    World::playAt("smallSplash", position);
}

void Bomb::onDestroyed(GameObject *by) {
    GameObject::onDestroyed(by);
    bombExplosion();
}
