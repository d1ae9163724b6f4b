#pragma once
// Balloon pop: one or two island cannons on a single island shoot balloons
// around it for ten rounds of 30 s. Each player always has a balloon in the
// air, a pop scores more the farther the shot, the view widens each round and
// the last five seconds are counted down aloud.
#include "GameController.h"

#include <cstdint>

class CountdownClock;
struct UColor;

class GameControllerBalloonPop : public GameController {
public:
    enum State {
        STATE_GET_READY = 1,
        STATE_ROUND = 2,
        STATE_PLAYING = 3,
        STATE_TIME_UP = 4,
        STATE_FADE = 5,
        STATE_END = 6
    };
    static constexpr int ROUND_COUNT = 10;
    static constexpr float ROUND_TIME = 30.0f;
    static constexpr double BALLOON_LIFETIME = 90.0;
    static constexpr float MIN_RADIUS = 64.0f; // balloons never closer to the island
    static constexpr float FULL_RATING_SCORE = 300000.0f;
    // Player colours, ARGB.
    static constexpr uint32_t PLAYER_ARGB[PLAYERS] = {0xFF0000FFu, 0xFFFF0000u};

    GameControllerBalloonPop();
    ~GameControllerBalloonPop() override;

    void onEnter() override;
    // Ratings and sounds, then the end scene.
    void endGame() override;
    // In a round: balloons kept up, the countdown, the end of the round.
    void updateRules() override;
    // Balloons against cannon balls, then against bullets.
    void checkCollisions() override;
    void computeRating() override;
    void onStateChange() override;

    // The view of a round: 1.0 in round 1 up to 2.0 in round 10.
    static float zoomOf(int round);
    // The winner's rating: score / 300000, halved with two players; not clamped.
    static float ratingOf(int score, int players);
    // "clockTick"'s frequency factor at k seconds left (1.0 at 5, 1.5 at 1).
    static float tickFrequency(int k);
    static UColor colourOf(uint32_t argb);

    int32_t round = 0;
    CountdownClock* clock = nullptr; // child of hud
    bool bClockDue = false;          // the round has begun, its clock not yet

private:
    void addBalloon();
    void addCamera(float zoom);
};
