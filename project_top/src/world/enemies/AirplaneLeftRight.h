#pragma once
// The enemy biplane: crosses the view at one height toward the middle and, when
// it decides to on entering, drops one bomb timed to fall on a palm of player 0.
// Drawn by its own airplane skin, without a shadow.
#include "Enemy.h"

class AirplaneSkin;

class AirplaneLeftRight : public Enemy {
public:
    static constexpr int POINTS = 150;
    static constexpr float ENERGY = 0.2f;
    static constexpr float MIN_SPEED = 50.0f;
    static constexpr float TOP_SPEED = 85.0f;        // at difficulty 0
    static constexpr float TOP_SPEED_HARD = 65.0f;   // more at difficulty 1
    static constexpr float BOMB_CHANCE = 0.1f;       // at difficulty 0
    static constexpr float BOMB_CHANCE_HARD = 0.65f; // more at difficulty 1
    static constexpr float BOMB_GRAVITY = 32.0f;

    AirplaneLeftRight();
    // The skin goes with the plane (bOwnsSkin).
    ~AirplaneLeftRight() override;

    void tick(double time, double dt) override;
    void render() override;
    void onDestroyed(GameObject* by) override;
    void onSpawn() override;

    AirplaneSkin* airplaneSkin() const { return skin; }

    float dropX = 0.0f;
    bool bWillBomb = false;

protected:
    AirplaneSkin* skin;
};
