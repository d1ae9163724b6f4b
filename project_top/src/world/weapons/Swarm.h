#pragma once
// A bubble of the bubble gun: flies at constant speed, weaving around its
// launch direction on a sine path, under the water line too; bursts with
// "bubbleBurst".
#include "Projectile.h"

class Swarm : public Projectile {
public:
    Swarm(int owner, float x, float y, float z, float angle, float speed);
    ~Swarm() override;

    // No gravity and no water test; removed once off screen.
    void tick(double time, double dt) override;
    void onDestroyed(GameObject *by) override;

    float speed;
    float wobblePhase = 0.0f;     // radians
    float wobbleFrequency = 0.0f; // radians per second
    float wobbleAmplitude = 0.0f; // largest deviation from heading
};
