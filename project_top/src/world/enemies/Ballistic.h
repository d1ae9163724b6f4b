#pragma once
// A missile fired from the edge of the view on a ballistic arc computed to pass
// through a palm of player 0, with an animated exhaust flame and a smoke trail.
// It strikes palms by contact and leaves only sideways.
#include "render/Renderable.h"
#include "Enemy.h"

class Texture;

class Ballistic : public Enemy {
public:
    static constexpr int POINTS = 750;
    static constexpr float ENERGY = 0.6f;
    static constexpr float GRAVITY = 4.0f;
    static constexpr float SPEED = 50.0f; // horizontal, up to twice that at difficulty 1
    static constexpr float CLOSEST_START = 16.0f; // horizontally from the target
    static constexpr int FLAME_FRAMES = 8;

    Ballistic();
    ~Ballistic() override;

    void tick(double time, double dt) override;
    // Body, then the flame over it.
    void render() override;
    void onDestroyed(GameObject* by) override;
    void onEnterWater() override;
    void onSpawn() override;

    Texture* pictures; // not owned
    Renderable flame;
    int32_t flameFrame = 0;
    double flameTimer = 0.0;
    double flameInterval;
    double smokeTimer = 0.0;
    double smokeInterval;
};
