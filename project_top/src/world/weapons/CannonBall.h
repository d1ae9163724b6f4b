#pragma once
// A cannon's shell: ballistic, nose along its path, explodes silently.
#include "Projectile.h"

class CannonBall : public Projectile {
public:
    static constexpr float GRAVITY = 128.0f;

    CannonBall(int owner, float x, float y, float z, float vx, float vy, float vz);
    ~CannonBall() override;

    void onEnterWater() override;
    void onDestroyed(GameObject *by) override;
};
