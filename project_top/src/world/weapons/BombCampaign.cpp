#include "BombCampaign.h"

BombCampaign::BombCampaign(int owner, float x, float y, float z, float vx, float vy, float vz)
    : Bomb(owner, x, y, z, vx, vy, vz) {
    acceleration = V3(0.0f, -GRAVITY, 0.0f);
}

BombCampaign::~BombCampaign() {}
