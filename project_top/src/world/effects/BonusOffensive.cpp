#include "BonusOffensive.h"

#include "world/Vehicle.h"

BonusOffensive::BonusOffensive(float x, float y, float z, double lifetime, bool burst) : Bonus(x, y, z, lifetime, burst) {
    setBalloon(6);
    caption = "double damage!";
    points = POINTS;
}

BonusOffensive::~BonusOffensive() {}

void BonusOffensive::giveBonus(int player) {
    giveVehicleBonus(player, 3, "bonusPickup+", [](Vehicle& v) {
        v.damageDealtFactor *= 2.0f;
    });
}
