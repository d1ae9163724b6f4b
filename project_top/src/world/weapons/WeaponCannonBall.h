#pragma once
// A shell per press at the launch speed, with a muzzle flash at high detail.
#include "Weapon.h"

class WeaponCannonBall : public Weapon {
public:
    explicit WeaponCannonBall(int player);
    ~WeaponCannonBall() override;

    void fire(float x, float y, float z, float angle, float speed) override;
};
