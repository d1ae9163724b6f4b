#pragma once
// The invasion's cannon: free shells, into the shot layer.
#include "WeaponCannonBall.h"

class WeaponCannonBallCampaign : public WeaponCannonBall {
public:
    explicit WeaponCannonBallCampaign(int player);
    ~WeaponCannonBallCampaign() override;
};
