#pragma once
// One instant beam per press, with a burst of flares at high detail.
#include "Weapon.h"

class WeaponLaser : public Weapon {
public:
    explicit WeaponLaser(int player);
    ~WeaponLaser() override;

    void fire(float x, float y, float z, float angle, float speed) override;
};
