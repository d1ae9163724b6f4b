#pragma once
// The balloon of the balloon-pop mode: any colour, points that grow with the
// distance of the shot (1000 up to 256 units, 2000 from 512), and a pickup
// sound pitched up with them.
#include "Bonus.h"

class BonusBalloonPop : public Bonus {
public:
    static constexpr float NEAR = 256.0f;
    static constexpr int BASE_POINTS = 1000;

    BonusBalloonPop(float x, float y, float z, double lifetime, bool burst);
    ~BonusBalloonPop() override;

    void giveBonus(int player) override;

    // 1 up to NEAR units, rising to 2 at twice that and beyond.
    static float distanceFactor(float distance);
};
