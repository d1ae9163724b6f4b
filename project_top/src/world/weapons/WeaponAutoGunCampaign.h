#pragma once
// The invasion's autocannon: cheaper shots, into the shot layer.
#include "world/weapons/WeaponAutoGun.h"

class WeaponAutoGunCampaign : public WeaponAutoGun {
public:
    explicit WeaponAutoGunCampaign(int player);
    ~WeaponAutoGunCampaign() override;
};
