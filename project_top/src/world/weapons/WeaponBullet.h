#pragma once
// One bullet per press, always at bullet speed.
#include "Weapon.h"

class WeaponBullet : public Weapon {
public:
    explicit WeaponBullet(int player);
    ~WeaponBullet() override;

    static constexpr float BULLET_SPEED = 512.0f;

    void fire(float x, float y, float z, float angle, float speed) override;
};
