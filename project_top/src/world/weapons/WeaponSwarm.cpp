#include "WeaponSwarm.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "Swarm.h"

WeaponSwarm::WeaponSwarm(int player) : Weapon(player) {
    configure("bubblegun", 0.08, 1.0f / 150.0f, true, GameController::LAYER_SHOTS);
}

WeaponSwarm::~WeaponSwarm() {}

void WeaponSwarm::fire(float x, float y, float z, float angle, float speed) {
    Weapon::fire(x, y, z, angle, speed);
    for (int i = 0; i < BUBBLES; ++i)
        launch(new Swarm(player, x, y, z, angle, BUBBLE_SPEED));
    World::playAt("bubbles", V3(x, y, z));
}
