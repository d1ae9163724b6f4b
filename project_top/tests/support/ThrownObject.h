#pragma once
// An object thrown under gravity for scenarios: it splashes and goes when it
// sinks below the water line, and leaves quietly when it flies out of view.
#include "world/GameObject.h"

class ThrownObject : public GameObject {
public:
    static constexpr float GRAVITY = -200.0f;

    ThrownObject(int owner, V3 at, V3 velocity);

    void onEnterWater() override;
    void onDestroyed(GameObject* by) override;

    int32_t splashes = 0;
};
