#pragma once
// Two computer duel pilots over two islands with three palms each, bullets
// for both, and bonus balloons at the frequent bonus times. A pilot that is
// gone is replaced by a new one a second later, so the fight goes on.
#include "ScriptedController.h"

class MatchHarness;

class DogfightMatch : public ScriptedController {
public:
    static constexpr double RESPAWN_DELAY = 1.0;
    static constexpr double BALLOON_LIFETIME = 12.0;

    DogfightMatch();

    void onPlayerDie(int player) override;
    // Scripted rules, then new pilots and bonus balloons when due.
    void updateRules() override;

    // The pilot of a player at its start, armed, as the player's vehicle.
    void launchPilot(int player);

    double respawnAt[PLAYERS] = {-1.0, -1.0};
    double nextBalloon = 0.0;
    int32_t pilotsLost = 0;
    int32_t balloonsSpawned = 0;
};

class DogfightScenario {
public:
    static DogfightMatch* start(MatchHarness& harness);
    static void build(ScriptedController& match);
};
