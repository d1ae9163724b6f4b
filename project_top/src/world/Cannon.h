#pragma once
// The gun on a player's island: a vehicle that never moves, turns its barrel
// within the upper half-circle, sets its muzzle speed with the power keys and
// fires its weapon along the barrel with a short recoil. A cannon whose
// energy runs out is simply removed.
#include "Vehicle.h"

class Cannon : public Vehicle {
public:
    // Sub-images of "cannon".
    enum Picture { PICTURE_BARREL = 0, PICTURE_HOUSING = 1, PICTURE_BASE = 2 };
    static constexpr float MUZZLE_DISTANCE = 26.0f; // where the shot leaves the barrel
    static constexpr float RECOIL_KICK = 4.0f;      // units the barrel goes back
    static constexpr float RECOIL_RECOVERY = 4.0f;  // recoil lost per second

    explicit Cannon(int owner);
    ~Cannon() override;

    void tick(double time, double dt) override;
    // Barrel, housing, base.
    void render() override;
    // The housing and the barrel in translucent black at half size.
    void drawFinder(V3 point) override;

    Renderable barrel;
    Renderable base;
    float recoil = 0.0f;

private:
    // Base and barrel follow the cannon, the barrel pushed back by the recoil.
    void placeParts();

    bool bPartsPlaced = false;
};
