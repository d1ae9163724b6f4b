#include "WeaponAutoGun.h"

#include "audio/Sound.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "Bullet.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float SHOT_SPEED = 512.0f;
} // namespace

WeaponAutoGun::WeaponAutoGun(int player) : Weapon(player) {
    configure("autocannon", 0.11, 0.07f, true, GameController::LAYER_BULLETS);
}

WeaponAutoGun::~WeaponAutoGun() {}

void WeaponAutoGun::fire(float x, float y, float z, float angle, float speed) {
    Weapon::fire(x, y, z, angle, speed);
    const float spread = angle + World::fraction() * PI / 32.0f - PI / 64.0f;
    Bullet *bullet = new Bullet(player, x, y, z, SHOT_SPEED * std::cos(spread), SHOT_SPEED * std::sin(spread), 0.0f);
    bullet->contactDamage *= 0.5f;
    launch(bullet);
    Sound *sound = World::sound("bulletFire");
    sound->pitchMin = 0.0f;
    sound->pitchMax = 0.25f;
    sound->playAt(V3(x, y, z));
}
