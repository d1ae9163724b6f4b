#include "WeaponBomb.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "Bomb.h"

#include <cmath>

WeaponBomb::WeaponBomb(int player) : Weapon(player) {
    configure("bomb", 0.05, 0.2f, false, GameController::LAYER_BOMBS);
}

WeaponBomb::~WeaponBomb() {}

void WeaponBomb::fire(float x, float y, float z, float angle, float speed) {
    Weapon::fire(x, y, z, angle, speed);
    launch(new Bomb(player, x, y, z, speed * std::cos(angle), speed * std::sin(angle), 0.0f));
    World::playAt("bombWhistle", V3(x, y, z));
}
