#pragma once
// The bomb enemy planes and balloons drop: a player's bomb at a quarter of
// the gravity.
#include "Bomb.h"

class BombCampaign : public Bomb {
public:
    static constexpr float GRAVITY = 32.0f;

    BombCampaign(int owner, float x, float y, float z, float vx, float vy, float vz);
    ~BombCampaign() override;
};
