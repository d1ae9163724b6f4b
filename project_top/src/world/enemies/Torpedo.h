#pragma once
// Shoots out of the sea at a random x and flies a ballistic arc that comes
// down on a palm of player 0 (its centre height, at its x), striking only on
// the way down; a miss ends in the sea. A palm above the arc's reach gets a
// steeper launch, so the arc always ends on it. TorpedoBlack is the tougher
// black one.
#include "Enemy.h"

class Torpedo : public Enemy {
public:
    static constexpr int POINTS = 300;
    static constexpr float ENERGY = 0.2f;
    static constexpr float GRAVITY = 64.0f;
    static constexpr float MAX_LAUNCH_SPEED = 250.0f;

    Torpedo();
    ~Torpedo() override;

    void tick(double time, double dt) override;
    void onDestroyed(GameObject* by) override;
    void onEnterWater() override;
    void onSpawn() override;

    // From the current position with upward speed vy: the velocity whose arc
    // comes down on the target point (vy raised when the arc's top would be
    // below the target).
    void launchAt(V3 target, float vy);

    bool exitPending = true;
};
