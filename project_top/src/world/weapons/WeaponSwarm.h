#pragma once
// The bubble gun: three bubbles every 0.08 s while fire is held, one
// payment for the three.
#include "Weapon.h"

class WeaponSwarm : public Weapon {
public:
    explicit WeaponSwarm(int player);
    ~WeaponSwarm() override;

    static constexpr int BUBBLES = 3;
    static constexpr float BUBBLE_SPEED = 768.0f;

    void fire(float x, float y, float z, float angle, float speed) override;
};
