#pragma once
// The duel with the rules of the free-for-all page: days, palms, opponent,
// the computer's skill and preferences, bonuses and bomb range. A short war
// lowers the rating.
#include "GameControllerClassic.h"

class GameControllerFFA : public GameControllerClassic {
public:
    static constexpr float PREFERENCE_STEPS = 24.0f;

    GameControllerFFA();
    ~GameControllerFFA() override;

    // The duel rating times the day factor.
    void computeRating() override;
    // 0.5 for one day up to 1.0 for four days or more.
    static float dayFactor(int days);
};
