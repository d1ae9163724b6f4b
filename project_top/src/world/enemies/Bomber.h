#pragma once
// The large enemy bomber: crosses the view at cruise speed dropping a stream
// of bombs, with a looping engine; damage slows it and its engine and makes it
// trail smoke that darkens as its energy runs out.
#include "render/Renderable.h"
#include "Enemy.h"

class SoundChannel;
class Texture;

class Bomber : public Enemy {
public:
    static constexpr int POINTS = 1000;
    static constexpr float ENERGY = 4.0f;
    static constexpr float CRUISE_SPEED = 64.0f;      // at difficulty 0
    static constexpr float CRUISE_SPEED_HARD = 64.0f; // more at difficulty 1
    static constexpr double PROPELLER_PERIOD = 0.025;
    static constexpr double FIRST_BOMB = 1.5;
    static constexpr double BOMB_INTERVAL_MIN = 0.5; // later bombs: 0.5 to 1.5 s apart
    static constexpr float SMOKE_BEHIND = 48.0f;

    Bomber();
    // Stops and deletes the engine channel.
    ~Bomber() override;

    void tick(double time, double dt) override;
    // Body, then the propeller over it.
    void render() override;
    void onDestroyed(GameObject* by) override;
    // Slower and lower-pitched with the damage taken.
    void onHit(GameObject* by, float amount) override;
    void onSpawn() override;

    Texture* pictures; // not owned
    Renderable propeller;
    int32_t frame = 0;
    double frameTimer = 0.0;
    double bombTimer = 0.0;
    double bombInterval = FIRST_BOMB;
    double smokeTimer = 0.0;
    double smokeInterval;
    float cruiseSpeed = 0.0f;
    SoundChannel* engineChannel; // owned
};
