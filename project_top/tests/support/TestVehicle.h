#pragma once
// A plain vehicle for scenarios: the bound keys (or the mouse) turn it at its
// turning rate and change its speed, it flies along its heading, fire throws
// a shot ahead when the blaster pays for it, and it blows up with a sound.
#include "world/Vehicle.h"

class TestVehicle : public Vehicle {
public:
    static constexpr float SHOT_COST = 0.2f;
    static constexpr float SHOT_SPEED = 300.0f;

    // Registers itself as the player's vehicle.
    TestVehicle(int owner, V3 at, float heading);

    void tick(double time, double dt) override;
    void onDestroyed(GameObject* by) override;

    int32_t shots = 0;
};
