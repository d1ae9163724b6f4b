#pragma once
// A box floating down on a parachute: shot, it scores and, as a weapon crate,
// hands the shooter's player the weapon of its kind.
#include "render/Renderable.h"
#include "Enemy.h"
#include "util/PlimMath.h"

class Crate : public Enemy {
public:
    // Kinds: plain, or the weapon index GameController::switchWeapon takes
    // (also the crate's picture).
    enum Kind { KIND_PLAIN = 0, KIND_AUTO_GUN = 1, KIND_SWARM = 2, KIND_LASER = 3, KIND_LIGHTNING = 4, KIND_ROCKET = 5 };
    static constexpr int POINTS = 250;
    static constexpr float WEAPON_FALL = 16.0f;
    static constexpr float PLAIN_FALL = 32.0f; // up to twice that
    static constexpr float PARACHUTE_ABOVE = 36.0f;
    static constexpr float MAX_TILT = PI / 16.0f;

    explicit Crate(int kind);
    ~Crate() override;

    void tick(double time, double dt) override;
    // Parachute, then the crate in front of it.
    void render() override;
    // A weapon crate gives its weapon to the destroyer's player, if it has one.
    void onDestroyed(GameObject* by) override;
    void onEnterWater() override;
    void onSpawn() override;

    int32_t kind;
    Renderable parachute;

private:
    void placeParachute();
};
