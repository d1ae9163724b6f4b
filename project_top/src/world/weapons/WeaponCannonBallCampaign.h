#pragma once
// The invasion's cannon: free shells, into the shot layer.
#include "world/weapons/WeaponCannonBall.h"

class WeaponCannonBallCampaign : public WeaponCannonBall {
public:
    explicit WeaponCannonBallCampaign(int player);
    ~WeaponCannonBallCampaign() override;
};
