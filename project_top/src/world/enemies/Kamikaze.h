#pragma once
// A diving attacker: enters just above the view at a random x and dives past
// player 0's island (twice the island's angle off the vertical), pulled down
// by a light gravity; it strikes palms by contact. Shot down it explodes; a
// miss ends in a large splash.
#include "Enemy.h"

class Texture;

class Kamikaze : public Enemy {
public:
    static constexpr int POINTS = 400;
    static constexpr float ENERGY = 0.2f;
    static constexpr float GRAVITY = 16.0f;
    static constexpr float BASE_SPEED = 32.0f;
    static constexpr double FRAME_INTERVAL = 0.025;

    Kamikaze();
    ~Kamikaze() override;

    void tick(double time, double dt) override;
    void render() override;
    void onDestroyed(GameObject* by) override;
    void onEnterWater() override;
    void onSpawn() override;

    double frameTimer = 0.0;
    double frameInterval = FRAME_INTERVAL;
    Texture* frames; // not owned: body 0, propeller 1 and 2
    int32_t frame = 0;
    Renderable overlay;
};
