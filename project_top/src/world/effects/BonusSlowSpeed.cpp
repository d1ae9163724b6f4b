#include "BonusSlowSpeed.h"

#include "world/Vehicle.h"

BonusSlowSpeed::BonusSlowSpeed(float x, float y, float z, double lifetime, bool burst) : Bonus(x, y, z, lifetime, burst) {
    setBalloon(4);
    caption = "sabotage: speed halved!";
    points = POINTS;
    bSabotage = true;
}

BonusSlowSpeed::~BonusSlowSpeed() {}

void BonusSlowSpeed::giveBonus(int player) {
    giveVehicleBonus(player, 4, "bonusPickup-", [](Vehicle& v) {
        v.maxSpeed *= 0.5f;
    });
}
