#include "WeaponLightning.h"

#include "modes/GameController.h"
#include "world/Vehicle.h"
#include "Lightning.h"

WeaponLightning::WeaponLightning(int player) : Weapon(player) {
    configure("lightning", 0.5, 0.1f, true, GameController::LAYER_BEAMS);
}

WeaponLightning::~WeaponLightning() {}

bool WeaponLightning::canFire(double time) {
    Vehicle *owner = vehicle();
    if (owner && nextFireTime <= time && owner->bFireHeld) return true;
    currentBolt.set(nullptr);
    return false;
}

void WeaponLightning::fire(float x, float y, float z, float angle, float) {
    Vehicle *owner = vehicle();
    if (!owner || !owner->bFireHeld) return;
    Lightning *bolt = currentBolt.get();
    if (!bolt) {
        bolt = new Lightning(player, x, y, z, angle);
        currentBolt.set(bolt);
        launch(bolt);
        return;
    }
    bolt->heading = owner->heading;
    bolt->position = V3(x, y, z);
    bolt->updateVisuals();
    bolt->fade = 0.0;
    if (!owner->useEnergy(float(double(energyCost) * contextDelta()))) {
        currentBolt.set(nullptr);
        bOutOfEnergy = true;
        nextFireTime = contextTime() + reloadTime;
    }
}
