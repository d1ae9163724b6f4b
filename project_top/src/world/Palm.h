#pragma once
// A palm tree on its owner's island: a target that sways through a damped
// spring when hit, bending its picture, and when destroyed burns for a second
// (shrinking, greying, smoking and flaming) and stays as a burnt stump.
#include "GameObject.h"
#include "Spring.h"

class BendQuadV;

class Palm : public GameObject {
public:
    enum State { STATE_STANDING = 1, STATE_BURNING = 2, STATE_BURNT = 3 };
    static constexpr int POINTS = 1000;
    static constexpr float MAX_SWAY_SPEED = 192.0f;
    static constexpr float SWAY_BEND = -0.0625f; // bend per unit of sway
    static constexpr double BURN_TIME = 1.0;
    static constexpr double SMOKE_INTERVAL_LOW = 0.045; // graphics detail 0
    static constexpr double SMOKE_INTERVAL = 0.015;

    // Placed around the owner's island (around 0, 0 before it has one).
    explicit Palm(int owner);
    ~Palm() override;

    void tick(double time, double dt) override;
    void onHit(GameObject* by, float amount) override;
    void onDestroyed(GameObject* by) override;
    // Centre near the crown, radius 80.
    void calcBounds() override;

    BendQuadV* bendSkin() const { return skin; }

    float lean = 0.0f;
    float burnProgress = 0.0f;
    double smokeTimer = 0.0;
    double smokeInterval = SMOKE_INTERVAL;
    float fullHeight = 0.0f;    // texture-coordinate units
    float currentHeight = 0.0f;
    float burntHeight = 0.0f;
    float vCut = 0.0f;          // bottom of the shown picture
    Spring sway;

private:
    void burn(double dt);

    BendQuadV* skin = nullptr; // owned through bOwnsSkin
};
