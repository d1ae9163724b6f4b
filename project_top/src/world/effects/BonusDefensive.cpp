#include "BonusDefensive.h"

#include "world/Vehicle.h"

BonusDefensive::BonusDefensive(float x, float y, float z, double lifetime, bool burst) : Bonus(x, y, z, lifetime, burst) {
    setBalloon(1);
    caption = "defensive protection!";
    points = POINTS;
}

BonusDefensive::~BonusDefensive() {}

void BonusDefensive::giveBonus(int player) {
    giveVehicleBonus(player, 1, "bonusPickup+", [](Vehicle& v) {
        v.damageTakenFactor *= 0.5f;
    });
}
