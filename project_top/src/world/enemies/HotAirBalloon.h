#pragma once
// A striped hot-air balloon drifting toward player 0's island and bouncing
// inside the view (never below height 7, so never into the sea) until it is
// shot; it then deflates in a puff of white smoke. Its body turns through
// eight frames in the direction it drifts and swaps its two colours on every
// full turn. The bomb-carrying kind (HotAirBalloonBomb) owns the bomb hanging
// under it until it drops it over its palm or is shot.
#include "core/Reference.h"
#include "Enemy.h"

class BombCampaign;
class Texture;

class HotAirBalloon : public Enemy {
public:
    static constexpr int POINTS = 100;
    static constexpr int BODY_FRAMES = 8;     // skins 0-7; stripes 8-15
    static constexpr int FRONT_PIECE = 16;
    static constexpr int BACK_PIECE_BOMB = 17; // the basket with the bomb's rope
    static constexpr int BACK_PIECE = 18;
    static constexpr float MIN_HEIGHT = 7.0f;
    static constexpr float WOBBLE = 0.03f;
    static constexpr float WOBBLE_RATE = 4.0f;
    static constexpr double SPAWN_FRAME_INTERVAL = 0.05;

    HotAirBalloon();
    // Deletes a bomb still carried.
    ~HotAirBalloon() override;

    void tick(double time, double dt) override;
    void render() override;
    void onDestroyed(GameObject* by) override;
    void onSpawn() override;

    // Drops the carried bomb into the enemy-projectile layer with a whistle.
    void releaseBomb();
    // Seconds per frame at a horizontal speed: 0.2 s when still, 0.01 s from
    // 48 units/s on.
    static double frameIntervalFor(float vx);

    Renderable stripes;
    Renderable backPiece;
    Renderable frontPiece;
    float phase;
    float speed = 0.0f;
    double frameTimer = 0.0;
    double frameInterval = SPAWN_FRAME_INTERVAL;
    Texture* frames; // not owned
    int32_t frame;
    BombCampaign* carriedBomb = nullptr; // owned; in no layer until released
    Reference<GameObject> targetPalm{nullptr};

private:
    void placePieces();
};
