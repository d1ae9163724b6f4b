#pragma once
// The popper's vehicle deals double damage.
#include "Bonus.h"

class BonusOffensive : public Bonus {
public:
    BonusOffensive(float x, float y, float z, double lifetime, bool burst);
    ~BonusOffensive() override;

    void giveBonus(int player) override;
};
