#pragma once
// Enemies in a scripted match: a controller whose collision pass also lets
// palm-striking enemies meet the standing palms, player 0's island with three
// palms under the camera, and a scripted gunner of player 0 that shoots
// straight bullets at the first visible enemy.
#include "ScriptedController.h"

class MatchHarness;

class EnemyMatch : public ScriptedController {
public:
    explicit EnemyMatch(int players) : ScriptedController(players) {}

    // The scripted pairs, then enemies with bHitsPalms against standing palms.
    void checkCollisions() override;
    // Playing while objects are in play or spawners still hold enemies.
    void updateRules() override;
};

class EnemyScenarios {
public:
    static constexpr float ISLAND_Y = -20.0f;
    static constexpr double RELEASE_INTERVAL = 0.1; // between the enemies of --spawn

    // Player 0's island at x 0 with three palms.
    static void buildIsland(ScriptedController& match);
    // A gunner of player 0 at (0, 40) firing every interval seconds.
    static void addGunner(ScriptedController& match, double interval);
    // The world of matchsim --spawn: the island, the gunner, and count
    // enemies of the type released one by one from 3 s on (one spawner each,
    // so two players do not scale the count).
    static EnemyMatch* startSpawn(MatchHarness& harness, int players, int type, int count, float difficulty);
    // Enemies live in the enemy layer plus those still held by spawners.
    static int enemiesLeft(GameController* match);
};
