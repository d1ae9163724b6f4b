#pragma once
// The duel: two players with an island each fight a war of several days.
// Each day has three rounds with fixed roles: at sunrise player 0 flies and
// bombs while player 1 defends with the island cannon, at noon the roles are
// swapped, at sunset both fly a dogfight. A round ends 3 s after a plane is
// lost or, before sunset, after a side's last palm falls. Bonus balloons
// float up during every battle. Challenge, free-for-all and the tutorial
// derive from it.
#include "GameController.h"

#include <cstdint>

class GameControllerClassic : public GameController {
public:
    enum State {
        STATE_START = 1,
        STATE_FIGHT = 2,
        STATE_NEW_DAY = 3,
        STATE_NEXT_ROUND = 4,
        STATE_NEW_ROUND = 5,
        STATE_BATTLE = 6,
        STATE_ROUND_OVER = 7,
        STATE_DAY_OVER = 8,
        STATE_DAY_FADE = 9,
        STATE_END = 10
    };
    enum Round { ROUND_NONE = 0, ROUND_SUNRISE = 1, ROUND_NOON = 2, ROUND_SUNSET = 3 };
    static constexpr int ROUNDS_PER_DAY = 3;
    static constexpr int DAYS = 5;
    static constexpr int PALMS = 3;
    static constexpr double ROUND_END_DELAY = 3.0;
    static constexpr double STATE_AT_ONCE = 0.001;
    static constexpr double BALLOON_SPEED = 90.0;
    // Round titles by round number.
    static const char* const roundNames[ROUNDS_PER_DAY + 1];

    GameControllerClassic();
    ~GameControllerClassic() override;

    // Islands, palms, the opening view; the war starts 1 s later.
    void onEnter() override;
    // Ratings and sounds, then the end scene.
    void endGame() override;
    // Bonus balloons during a battle.
    void updateRules() override;
    void checkCollisions() override;
    void computeRating() override;
    // The round ends 3 s after a lost plane.
    void onPlayerDie(int player) override;
    // Before sunset the round ends 3 s after a side's last palm fell.
    void onAllPalmsDead(int player) override;
    void onStateChange() override;

    virtual void newDay();
    virtual void newRound();

    // Destroys every vehicle, projectile and balloon, and the palms unless
    // keepPalms; nothing here counts as a lost palm.
    void clearField(bool keepPalms);
    // Whether player p flies (else mans the cannon) in a round.
    static bool fliesIn(int player, int round);
    // The duel rating of the winner (loser always 0); d is the difficulty.
    static float ratingOf(int winnerScore, int loserScore, bool loserHuman, float d);

    int32_t day = 0;
    int32_t round = ROUND_NONE;
    int32_t days = 0;
    double nextBonusAt = 0.0;

protected:
    // Blends the scene camera to the overview of both islands.
    void addOverviewCamera(double blendTime);
};
