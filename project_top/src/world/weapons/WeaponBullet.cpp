#include "WeaponBullet.h"

#include "audio/Sound.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "Bullet.h"

#include <cmath>

WeaponBullet::WeaponBullet(int player) : Weapon(player) {
    configure("bullet", 0.05, 0.15f, false, GameController::LAYER_BULLETS);
}

WeaponBullet::~WeaponBullet() {}

void WeaponBullet::fire(float x, float y, float z, float angle, float speed) {
    Weapon::fire(x, y, z, angle, speed);
    launch(new Bullet(player, x, y, z, BULLET_SPEED * std::cos(angle), BULLET_SPEED * std::sin(angle), 0.0f));
    Sound *sound = World::sound("bulletFire");
    sound->pitchMin = 0.0f;
    sound->pitchMax = 0.5f;
    sound->playAt(V3(x, y, z));
}
