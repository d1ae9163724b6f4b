#pragma once
// Drops a bomb at the launch velocity, with a whistle.
#include "Weapon.h"

class WeaponBomb : public Weapon {
public:
    explicit WeaponBomb(int player);
    ~WeaponBomb() override;

    void fire(float x, float y, float z, float angle, float speed) override;
};
