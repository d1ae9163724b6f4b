#pragma once
// One rocket per press at the launch speed.
#include "Weapon.h"

class WeaponRocket : public Weapon {
public:
    explicit WeaponRocket(int player);
    ~WeaponRocket() override;

    void fire(float x, float y, float z, float angle, float speed) override;
};
