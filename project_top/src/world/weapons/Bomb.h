#pragma once
// A player's bomb: falls under gravity nose first, vanishes in a puff when the
// match limits the bomb range and it has flown 3 s, bounces on the water
// under the bouncy-bombs mutator, and explodes with "explosionShort".
#include "Projectile.h"

class Bomb : public Projectile {
public:
    static constexpr float GRAVITY = 128.0f;
    static constexpr double RANGE_TIME = 3.0;
    // Bounces slower than this sink.
    static constexpr float MIN_BOUNCE_SPEED = 20.0f;

    Bomb(int owner, float x, float y, float z, float vx, float vy, float vz);
    ~Bomb() override;

    void tick(double time, double dt) override;
    void onEnterWater() override;
    void onDestroyed(GameObject *by) override;

    double age = 0.0;
};
