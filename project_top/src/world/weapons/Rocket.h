#pragma once
// A straight, unguided missile at constant speed with a smoke trail (high
// detail only); sinks in the sea and ends in a puff with "missileHit".
#include "Projectile.h"

class Rocket : public Projectile {
public:
    static constexpr double SMOKE_INTERVAL = 0.015;
    static constexpr float TRAIL_OFFSET = 16.0f; // behind the rocket

    Rocket(int owner, float x, float y, float z, float angle, float speed);
    ~Rocket() override;

    void tick(double time, double dt) override;
    void onDestroyed(GameObject *by) override;
    void onEnterWater() override;

    double smokeTimer = 0.0;
};
