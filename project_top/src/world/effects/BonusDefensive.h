#pragma once
// The popper's vehicle takes half damage.
#include "Bonus.h"

class BonusDefensive : public Bonus {
public:
    BonusDefensive(float x, float y, float z, double lifetime, bool burst);
    ~BonusDefensive() override;

    void giveBonus(int player) override;
};
