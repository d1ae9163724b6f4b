#include "WeaponRocket.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "Rocket.h"

WeaponRocket::WeaponRocket(int player) : Weapon(player) {
    configure("rocket", 0.2, 0.025f, false, GameController::LAYER_SHOTS);
}

WeaponRocket::~WeaponRocket() {}

void WeaponRocket::fire(float x, float y, float z, float angle, float speed) {
    Weapon::fire(x, y, z, angle, speed);
    launch(new Rocket(player, x, y, z, angle, speed));
    World::playAt("missileLaunch", V3(x, y, z));
}
