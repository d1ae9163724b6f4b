#pragma once
// Ten three-day duels against the computer at rising skill, each opponent in
// its own colour. A won challenge adds up to 0.1 to the rating; a lost one,
// or the tenth, ends the game. The day counter runs on over all 30 days.
#include "GameControllerClassic.h"

struct UColor;

class GameControllerChallenge : public GameControllerClassic {
public:
    static constexpr int CHALLENGES = 10;
    static constexpr int DAYS_PER_CHALLENGE = 3;
    static constexpr float CHALLENGE_RATING = 0.1f;

    GameControllerChallenge();
    ~GameControllerChallenge() override;

    // Winner 0; the ratings stay as the challenges added them.
    void computeRating() override;
    void onStateChange() override;
    // Up to 0.1 when player 0 out-scored the computer.
    virtual void addChallengeRating();

    // Days, skill and opponent colour of the next challenge; scores back to 0.
    void nextChallenge();
    // Player 1's colour in a challenge (1 to 10).
    static UColor colorOf(int challenge);

    int32_t challenge = 0;

private:
    void prepareNextChallenge();
};
