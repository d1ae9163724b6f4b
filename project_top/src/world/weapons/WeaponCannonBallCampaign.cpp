#include "WeaponCannonBallCampaign.h"

#include "modes/GameController.h"
#include "world/World.h"

WeaponCannonBallCampaign::WeaponCannonBallCampaign(int player) : WeaponCannonBall(player) {
    energyCost = 0.0f;
    projectileLayer = World::layer(GameController::LAYER_SHOTS);
}

WeaponCannonBallCampaign::~WeaponCannonBallCampaign() {}
