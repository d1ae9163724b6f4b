#pragma once
// The balloon pop scenario of matchsim, the tests and the benchmark: the real
// mode with one or two players whose cannons sweep left and right and fire
// in bursts, so balloons pop now and then all match long.
class GameControllerBalloonPop;
class MatchHarness;

class BalloonPopScenario {
public:
    static constexpr double MATCH_SECONDS = 389.0; // onEnter to the end scene

    static GameControllerBalloonPop* start(MatchHarness& harness, int players, bool autocannons = false);
    // Queues the players' sweeps and bursts for the given seconds from now.
    static void script(MatchHarness& harness, int players, double seconds);
};
