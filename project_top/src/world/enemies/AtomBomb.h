#pragma once
// A slow bomb that homes on one palm of player 0 at a limited turn rate,
// trailing smoke, and strikes the palm by contact.
#include "core/Reference.h"
#include "Enemy.h"
#include "util/PlimMath.h"

class AtomBomb : public Enemy {
public:
    static constexpr int POINTS = 500;
    static constexpr float ENERGY = 0.4f;
    static constexpr float SPEED = 50.0f;
    static constexpr float TURN_RATE = 0.4f; // radians per second
    static constexpr float AIM_ERROR = PI / 4.0f; // either way, at entry
    static constexpr float SMOKE_BEHIND = 20.0f;

    AtomBomb();
    ~AtomBomb() override;

    void tick(double time, double dt) override;
    void onDestroyed(GameObject* by) override;
    void onEnterWater() override;
    void onSpawn() override;

    // Chosen in the first tick and kept, burnt or not.
    Reference<GameObject> targetPalm{nullptr};
    float turnRate = TURN_RATE;
    float speed = SPEED;
    double smokeTimer = 0.0;
    double smokeInterval;
};
