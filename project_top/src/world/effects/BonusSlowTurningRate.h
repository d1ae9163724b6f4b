#pragma once
// Sabotage: the opponent turns at half the rate.
#include "Bonus.h"

class BonusSlowTurningRate : public Bonus {
public:
    BonusSlowTurningRate(float x, float y, float z, double lifetime, bool burst);
    ~BonusSlowTurningRate() override;

    void giveBonus(int player) override;
};
