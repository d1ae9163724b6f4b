#pragma once
// A small bomb under a rotor: it appears in the sky, hovers for a second,
// then homes in on a palm of player 0 in straight legs, re-aiming once a
// second with an aim error that grows with distance and difficulty. Shot, it
// explodes but stays: the wreck keeps a quarter of each hit's push, falls and
// spins until it sinks or leaves the view, scoring nothing more.
#include "core/Reference.h"
#include "Enemy.h"

class Texture;

class PropelledBomb : public Enemy {
public:
    enum State { STATE_FLYING = 1, STATE_WRECK = 2 };
    // A tint of this value: the creator places the bomb itself.
    static constexpr int32_t TINT_PLACED_BY_CREATOR = 255;
    static constexpr int POINTS = 250;
    static constexpr float ENERGY = 0.2f;
    static constexpr double STEER_INTERVAL = 1.0;
    static constexpr double FRAME_INTERVAL = 0.025;
    static constexpr int OVERLAY_FRAMES = 8; // skins 0-7
    static constexpr int FIRST_BODY = 8;     // body skins 8-23
    static constexpr int LAST_BODY = 23;
    static constexpr float WRECK_GRAVITY = 128.0f;
    // No aim error at this distance; the full error three times as far beyond.
    static constexpr float EXACT_AIM_DISTANCE = 128.0f;
    static constexpr float AIM_ERROR_SPAN = 384.0f;

    PropelledBomb();
    ~PropelledBomb() override;

    void tick(double time, double dt) override;
    void render() override;
    void onDestroyed(GameObject* by) override;
    void onHit(GameObject* by, float amount) override;
    void onEnterWater() override;
    void onSpawn() override;

    // Heads for the palm (or the island) with the aim error of its distance.
    void steer();

    double steerTimer = 0.0;
    double steerInterval = STEER_INTERVAL;
    double frameTimer = 0.0;
    double frameInterval = FRAME_INTERVAL;
    Texture* frames; // not owned
    int32_t overlayFrame = 0;
    int32_t bodyFrame;
    int32_t frameStep = 1;
    float spinRate = 0.0f;
    float speed = 0.0f;
    Reference<GameObject> targetPalm{nullptr};
    Renderable overlay;

private:
    void animate(double dt);
};
