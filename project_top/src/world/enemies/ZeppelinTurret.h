#pragma once
// One of the four gun pods under a zeppelin: rides at its mount point, never
// moves or fires on its own, and is the only part of the airship that can be
// destroyed. A turret whose airship is gone leaves quietly.
#include "core/Reference.h"
#include "Enemy.h"

class Zeppelin;

class ZeppelinTurret : public Enemy {
public:
    static constexpr int POINTS = 1000;

    explicit ZeppelinTurret(float energy);
    ~ZeppelinTurret() override;

    void tick(double time, double dt) override;
    void onDestroyed(GameObject* by) override;
    void onSpawn() override {}

    // Follows the airship's transform.
    void ride();

    Reference<Zeppelin> zeppelin{nullptr};
    V3 mountOffset{0.0f, 0.0f, 0.0f}; // in the airship's own coordinates
};
