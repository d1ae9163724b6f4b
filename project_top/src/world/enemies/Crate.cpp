#include "Crate.h"

#include "modes/GameController.h"
#include "world/World.h"

#include <cmath>

Crate::Crate(int crateKind) : kind(crateKind) {
    setup(World::frame(World::frames("crate"), kind), nullptr, nullptr, nullptr);
    parachute.setup(World::frame(World::frames("parachute"), 0), nullptr, nullptr, nullptr);
    points = POINTS;
    rotation.z = -MAX_TILT + 2.0f * MAX_TILT * World::fraction();
    velocity.y = -WEAPON_FALL;
    updateVisuals();
}

Crate::~Crate() {}

void Crate::placeParachute() {
    const V3 above(position.x, position.y + PARACHUTE_ABOVE, position.z);
    parachute.setup(nullptr, &above, nullptr, nullptr);
}

void Crate::onSpawn() {
    position = getSpawnPosition(PLACE_TOP);
    updateVisuals();
    placeParachute();
    if (kind == KIND_PLAIN) velocity.y = -(PLAIN_FALL + PLAIN_FALL * World::fraction());
}

void Crate::tick(double, double dt) {
    GameObject::step(dt);
    placeParachute();
}

void Crate::render() {
    parachute.render();
    Renderable::render();
}

void Crate::onDestroyed(GameObject* by) {
    explode(0.0f, 50.0f);
    World::playAt("crateBreak", position);
    bDestroyPending = true;
    // Only a player's shot earns the weapon.
    GameController* game = GameController::current();
    if (kind != KIND_PLAIN && game && by && by->owner >= 0 && by->owner < GameController::PLAYERS)
        game->switchWeapon(by->owner, kind, false);
}

void Crate::onEnterWater() { splashDown(); }
