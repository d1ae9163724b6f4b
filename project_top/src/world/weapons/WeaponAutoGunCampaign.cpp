#include "WeaponAutoGunCampaign.h"

#include "modes/GameController.h"
#include "world/World.h"

WeaponAutoGunCampaign::WeaponAutoGunCampaign(int player) : WeaponAutoGun(player) {
    energyCost = 1.0f / 120.0f;
    projectileLayer = World::layer(GameController::LAYER_SHOTS);
}

WeaponAutoGunCampaign::~WeaponAutoGunCampaign() {}
