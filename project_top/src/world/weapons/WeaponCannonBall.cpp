#include "WeaponCannonBall.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "CannonBall.h"

#include <cmath>

namespace {
const float FLASH_SPEED = 75.0f;
const float FLASH_SCALE = 0.75f;
const float FLASH_DECAY = 256.0f; // four times the usual: about 0.3 s
} // namespace

WeaponCannonBall::WeaponCannonBall(int player) : Weapon(player) {
    configure("cannonball", 0.05, 0.125f, false, GameController::LAYER_CANNON_BALLS);
}

WeaponCannonBall::~WeaponCannonBall() {}

void WeaponCannonBall::fire(float x, float y, float z, float angle, float speed) {
    Weapon::fire(x, y, z, angle, speed);
    launch(new CannonBall(player, x, y, z, speed * std::cos(angle), speed * std::sin(angle), 0.0f));
    if (World::detail() > 0) {
        Emission shot(V3(x, y, z));
        shot.particles(1).speeds(FLASH_SPEED, FLASH_SPEED).toward(angle).scaled(FLASH_SCALE);
        Explosion *flash = new Explosion(shot);
        flash->decayRate = FLASH_DECAY;
        World::add(GameController::LAYER_SMOKE, flash);
    }
    World::playAt("cannonFire", V3(x, y, z));
}
