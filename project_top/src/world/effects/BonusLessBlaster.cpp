#include "BonusLessBlaster.h"

#include "world/Vehicle.h"

BonusLessBlaster::BonusLessBlaster(float x, float y, float z, double lifetime, bool burst) : Bonus(x, y, z, lifetime, burst) {
    setBalloon(2);
    caption = "sabotage: blaster halved!";
    points = POINTS;
    bSabotage = true;
}

BonusLessBlaster::~BonusLessBlaster() {}

void BonusLessBlaster::giveBonus(int player) {
    giveVehicleBonus(player, 2, "bonusPickup-", [](Vehicle& v) {
        v.maxBlasterEnergy *= 0.5f;
    });
}
