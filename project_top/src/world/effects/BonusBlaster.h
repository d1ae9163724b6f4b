#pragma once
// The popper's blaster holds twice as much, refilled.
#include "Bonus.h"

class BonusBlaster : public Bonus {
public:
    BonusBlaster(float x, float y, float z, double lifetime, bool burst);
    ~BonusBlaster() override;

    void giveBonus(int player) override;
};
