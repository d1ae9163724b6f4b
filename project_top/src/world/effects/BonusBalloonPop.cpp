#include "BonusBalloonPop.h"

#include "util/Random.h"
#include "audio/SoundChannel.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "world/Vehicle.h"
#include "world/World.h"

#include <cmath>

BonusBalloonPop::BonusBalloonPop(float x, float y, float z, double lifetime, bool burst)
    : Bonus(x, y, z, lifetime, burst) {
    setBalloon(Random::next() % int(World::frames("balloons")->skins.size()));
    points = POINTS;
}

BonusBalloonPop::~BonusBalloonPop() {}

float BonusBalloonPop::distanceFactor(float d) {
    float over = (d - NEAR) / NEAR;
    if (over < 0.0f) over = 0.0f;
    if (over > 1.0f) over = 1.0f;
    return 1.0f + over;
}

void BonusBalloonPop::giveBonus(int player) {
    Vehicle* vehicle = GameController::currentVehicle(player);
    PlayerData* data = GameController::currentPlayer(player);
    if (!vehicle || !data) return;
    const V3 d = vehicle->position - position;
    const float f = distanceFactor(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
    data->addScore(int(float(BASE_POINTS) * f));
    SoundChannel channel(World::sound("bonusPickup+"));
    channel.setFrequency(f, 0.0);
    channel.play();
}
