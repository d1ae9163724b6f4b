#include "Weapon.h"

#include "core/Context.h"
#include "core/Plim.h"
#include "core/TimeKeeper.h"
#include "modes/GameController.h"
#include "world/Vehicle.h"
#include "world/World.h"

Weapon::Weapon(int player) : player(player) {}

Weapon::~Weapon() {}

void Weapon::configure(const char *weaponName, double reload, float cost, bool held, int layerIndex) {
    name = weaponName;
    reloadTime = reload;
    energyCost = cost;
    bHeldFire = held;
    projectileLayer = World::layer(layerIndex);
}

Vehicle *Weapon::vehicle() const { return GameController::currentVehicle(player); }

double Weapon::contextTime() {
    const Context *context = PLIM ? PLIM->currentContext : nullptr;
    return context ? context->time : 0.0;
}

double Weapon::contextDelta() {
    const Context *context = PLIM ? PLIM->currentContext : nullptr;
    return context ? context->dt : 0.0;
}

void Weapon::launch(PlimBase *shot) {
    if (projectileLayer)
        projectileLayer->addChild(shot);
    else
        shot->deleteMe();
}

bool Weapon::canFire(double time) {
    Vehicle *owner = vehicle();
    if (!owner) return false;
    if (!(bHeldFire ? owner->bFireHeld : owner->bFirePressed)) return false;
    if (nextFireTime > time) return false;
    if (energyCost <= owner->blasterEnergy) return true;
    bOutOfEnergy = true;
    return false;
}

void Weapon::fire(float, float, float, float, float) {
    if (Vehicle *owner = vehicle()) owner->useEnergy(energyCost);
    nextFireTime = contextTime() + reloadTime;
    GameController *game = GameController::current();
    if (game && game->bMatrixFight && PLIM->timeKeeper)
        game->bulletTimeEnd = PLIM->timeKeeper->getTime() + GameController::BULLET_TIME;
}
