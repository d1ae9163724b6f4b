#pragma once
// A world object for weapon tests: a picture of a given skin (so it has a
// collision circle), a large energy pool by default, and a record of every
// hit it took.
#include "world/GameObject.h"

#include <vector>

class HitTarget : public GameObject {
public:
    // Placed at the point with the skin's bounds; registers nothing.
    HitTarget(int owner, V3 at, const char* skinName = "balloons:0", float energy = 1000.0f);

    void onHit(GameObject* by, float amount) override;
    void onDestroyed(GameObject* by) override;

    std::vector<float> hits;
    int destroyed = 0;
};
