#include "BalloonPopScenario.h"

#include "MatchHarness.h"
#include "modes/GameControllerBalloonPop.h"
#include "world/Vehicle.h"

namespace {
const int SWEEP_FRAMES = 120;
const int BURST_FRAMES = 30;
const int BURST_PERIOD = 70;
} // namespace

GameControllerBalloonPop* BalloonPopScenario::start(MatchHarness& harness, int players, bool autocannons) {
    SaveData& saved = harness.app->saveData;
    saved.players = players > 1 ? 1 : 0;
    saved.bAutocannons = autocannons;
    saved.bInGameMusic = 0;
    saved.bInGameHelp = 0;
    saved.bUseMouse = 0;
    auto* match = static_cast<GameControllerBalloonPop*>(
        harness.start([] { return static_cast<GameController*>(new GameControllerBalloonPop()); }));
    script(harness, players, MATCH_SECONDS);
    return match;
}

void BalloonPopScenario::script(MatchHarness& harness, int players, double seconds) {
    const int first = harness.frame;
    const int last = first + int(seconds * 1000.0 / double(harness.periodMs));
    for (int p = 0; p < players && p < GameController::PLAYERS; ++p) {
        Vehicle* cannon = GameController::currentVehicle(p);
        if (!cannon) continue;
        const int keys = cannon->keySet();
        // Player 1 sweeps the other way, a little out of step.
        const int offset = p * SWEEP_FRAMES / 2;
        for (int f = first + offset; f < last; f += 2 * SWEEP_FRAMES) {
            harness.scheduleAction(f, f + SWEEP_FRAMES / 2, keys, p == 0 ? Vehicle::ACTION_TURN_LEFT : Vehicle::ACTION_TURN_RIGHT);
            harness.scheduleAction(f + SWEEP_FRAMES, f + SWEEP_FRAMES + SWEEP_FRAMES / 2, keys,
                                   p == 0 ? Vehicle::ACTION_TURN_RIGHT : Vehicle::ACTION_TURN_LEFT);
        }
        for (int f = first + offset; f < last; f += BURST_PERIOD) harness.scheduleAction(f, f + BURST_FRAMES, keys, Vehicle::ACTION_FIRE);
    }
}
