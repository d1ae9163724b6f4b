#pragma once
// The bomber's and the zeppelin's bomb: nobody's, falls at half a player
// bomb's gravity without turning to its path, rocking a little, and sinks
// whatever the mutators say.
#include "Projectile.h"

class BomberBomb : public Projectile {
public:
    static constexpr float GRAVITY = 64.0f;
    static constexpr float ROCK_ANGLE = 0.125f;
    static constexpr float ROCK_RATE = 8.0f;

    // (rx, ry, rz): the rotation until the first tick.
    BomberBomb(float x, float y, float z, float vx, float vy, float vz, float rx, float ry, float rz);
    ~BomberBomb() override;

    void tick(double time, double dt) override;
    void onEnterWater() override;
    void onDestroyed(GameObject *by) override;

    float wobblePhase;
};
