#pragma once
// The bullet of the gun and the autocannon: a straight line at constant
// speed, no gravity, gone below the water line (with a splash) or once off
// screen; a small silent burst when destroyed.
#include "world/GameObject.h"

class Bullet : public GameObject {
public:
    Bullet(int owner, float x, float y, float z, float vx, float vy, float vz);
    ~Bullet() override;

    void tick(double time, double dt) override;
    void onDestroyed(GameObject *by) override;
};
