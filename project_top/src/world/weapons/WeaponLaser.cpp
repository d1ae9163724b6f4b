#include "WeaponLaser.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Firework.h"
#include "Laser.h"
#include "util/PlimMath.h"

#include <cmath>

WeaponLaser::WeaponLaser(int player) : Weapon(player) {
    configure("laser", 0.15, 0.02f, false, GameController::LAYER_BEAMS);
}

WeaponLaser::~WeaponLaser() {}

void WeaponLaser::fire(float x, float y, float z, float angle, float speed) {
    Weapon::fire(x, y, z, angle, speed);
    launch(new Laser(player, x, y, z, angle));
    if (World::detail() > 0)
        World::add(GameController::LAYER_FIREWORKS,
                   new Firework(Emission(V3(x, y, z)).particles(10).speeds(25.0f, 50.0f).spreading(TWO_PI).scaled(2.0f),
                                UColor::WHITE));
}
