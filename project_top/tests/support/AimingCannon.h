#pragma once
// The test bot of the invasion: a cannon that aims, leading and allowing for
// the shell's fall, at the enemy or enemy bomb nearest its island (scoring
// ones first) and fires whenever the barrel is on it. install swaps it in for the match's cannons.
#include "world/Cannon.h"

class GameController;

class AimingCannon : public Cannon {
public:
    static constexpr float ON_TARGET = 0.05f; // radians
    static constexpr float WORTHLESS_PENALTY = 1.0e8f; // squared units

    explicit AimingCannon(int owner);

    void readControls() override;
    // The nearest live, hittable object of the enemy and enemy-projectile
    // layers above the horizon; null when none.
    GameObject* pickTarget() const;

    // Replaces each playing player's cannon with a bot at its place, keeping
    // its weapon; returns the bots (index by player, null for none).
    static void install(GameController* match, AimingCannon* bots[2]);
};
