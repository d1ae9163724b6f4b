#pragma once
// Sabotage: the opponent's top speed halved.
#include "Bonus.h"

class BonusSlowSpeed : public Bonus {
public:
    BonusSlowSpeed(float x, float y, float z, double lifetime, bool burst);
    ~BonusSlowSpeed() override;

    void giveBonus(int player) override;
};
