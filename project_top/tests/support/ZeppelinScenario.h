#pragma once
// The zeppelin scenario of matchsim and the tests: player 0's island with
// three palms and the scripted gunner, a type-0 zeppelin released at 3 s, and
// beside it a spawner whose crates are due until 120 s. A marksman of player
// 0 brings down one turret at each of 20, 25, 30 and 35 s, so the airship
// burns and its final blast cancels the crates still held.
class MatchHarness;
class ScriptedController;

class ZeppelinScenario {
public:
    static constexpr double SHOTS[] = {20.0, 25.0, 30.0, 35.0};
    static constexpr double HELD_UNTIL = 120.0; // the last crate's release

    static ScriptedController* start(MatchHarness& harness, int players);
    static void build(ScriptedController& match);
};
