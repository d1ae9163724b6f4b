#pragma once
// A classic war of some days between two computer players, started as the
// duel page starts one; it ends on its own through the end scene. Battles
// last at most ROUND_SECONDS_MAX (see CappedWar).
#include "CappedWar.h"

class MatchHarness;

class WarScenario {
public:
    typedef CappedWar<GameControllerClassic> Match;
    static constexpr int DEFAULT_DAYS = 1;
    static constexpr int MAX_DAYS = 100;
    static constexpr double ROUND_SECONDS_MAX = 60.0;
    // A day: the openings and three battles with their ends, with room to spare.
    static constexpr double DAY_SECONDS_MAX = 3.0 * (ROUND_SECONDS_MAX + 10.0) + 20.0;

    static Match* start(MatchHarness& harness, int days);
    // The war has handed the screen to its end scene.
    static bool over(const MatchHarness& harness);
    // Rounds begun so far.
    static int rounds(const GameControllerClassic& war);
};
