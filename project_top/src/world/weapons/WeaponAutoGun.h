#pragma once
// The autocannon: a bullet every 0.11 s while fire is held, spread a little,
// each doing half a bullet's damage.
#include "Weapon.h"

class WeaponAutoGun : public Weapon {
public:
    explicit WeaponAutoGun(int player);
    ~WeaponAutoGun() override;

    void fire(float x, float y, float z, float angle, float speed) override;
};
