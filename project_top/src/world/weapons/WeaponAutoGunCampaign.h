#pragma once
// The invasion's autocannon: cheaper shots, into the shot layer.
#include "WeaponAutoGun.h"

class WeaponAutoGunCampaign : public WeaponAutoGun {
public:
    explicit WeaponAutoGunCampaign(int player);
    ~WeaponAutoGunCampaign() override;
};
