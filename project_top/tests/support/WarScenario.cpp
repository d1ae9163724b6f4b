#include "WarScenario.h"

#include "MatchHarness.h"

WarScenario::Match* WarScenario::start(MatchHarness& harness, int days) {
    return static_cast<Match*>(harness.start([days]() -> GameController* {
        auto* war = new Match(ROUND_SECONDS_MAX);
        war->computerPlayers = GameController::PLAYERS;
        war->days = days;
        return war;
    }));
}

bool WarScenario::over(const MatchHarness& harness) { return harness.controller && harness.controller->bDone; }

int WarScenario::rounds(const GameControllerClassic& war) {
    return war.day > 0 ? (war.day - 1) * GameControllerClassic::ROUNDS_PER_DAY + war.round : 0;
}
