#pragma once
// The lightning gun keeps one bolt alive while fire is held and pays for it
// by the second; its first frame is free. Let go (or refused a payment), it
// drops the bolt, which fades by itself; after a refusal a new bolt waits
// reloadTime. It never starts the slow motion.
#include "core/Reference.h"
#include "Weapon.h"

class Lightning;

class WeaponLightning : public Weapon {
public:
    explicit WeaponLightning(int player);
    ~WeaponLightning() override;

    // speed is not used.
    void fire(float x, float y, float z, float angle, float speed) override;
    // Fire held and the reload over; any other answer lets go of the bolt.
    // The energy is not tested here: fire pays as it goes.
    bool canFire(double time) override;

    // Weak: the beam layer owns the bolt.
    Reference<Lightning> currentBolt{nullptr};
};
