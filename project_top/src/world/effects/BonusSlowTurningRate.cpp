#include "BonusSlowTurningRate.h"

#include "world/Vehicle.h"

BonusSlowTurningRate::BonusSlowTurningRate(float x, float y, float z, double lifetime, bool burst) : Bonus(x, y, z, lifetime, burst) {
    setBalloon(5);
    caption = "sabotage: turning rate halved!";
    points = POINTS;
    bSabotage = true;
}

BonusSlowTurningRate::~BonusSlowTurningRate() {}

void BonusSlowTurningRate::giveBonus(int player) {
    giveVehicleBonus(player, 5, "bonusPickup-", [](Vehicle& v) {
        v.turnRate *= 0.5f;
    });
}
