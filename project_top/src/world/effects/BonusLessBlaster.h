#pragma once
// Sabotage: the opponent's blaster capacity halved (its regeneration caps the energy).
#include "Bonus.h"

class BonusLessBlaster : public Bonus {
public:
    BonusLessBlaster(float x, float y, float z, double lifetime, bool burst);
    ~BonusLessBlaster() override;

    void giveBonus(int player) override;
};
