#include "BonusBlaster.h"

#include "world/Vehicle.h"

BonusBlaster::BonusBlaster(float x, float y, float z, double lifetime, bool burst) : Bonus(x, y, z, lifetime, burst) {
    setBalloon(3);
    caption = "double blaster capacity!";
    points = POINTS;
}

BonusBlaster::~BonusBlaster() {}

void BonusBlaster::giveBonus(int player) {
    giveVehicleBonus(player, 0, "bonusPickup+", [](Vehicle& v) {
        v.maxBlasterEnergy *= 2.0f;
        v.blasterEnergy = v.maxBlasterEnergy;
    });
}
