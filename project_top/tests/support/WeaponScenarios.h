#pragma once
// The matchsim scenarios of the weapons and the island cannons.
class MatchHarness;
class ScriptedController;

class WeaponScenarios {
public:
    // Two island cannons that go through all ten weapons, a new one every
    // 1.25 s, firing at drifting targets and bonus balloons; with one human
    // player the second cannon is the computer gunner.
    static void buildWeapons(ScriptedController& match);
    static void scriptWeapons(MatchHarness& harness, int players);
    // A player's cannon and the computer gunner on islands with three palms
    // each; bombs fall toward the gunner's palms and balloons float above, so
    // the gunner picks between bombs, the cannon and balloons.
    static void buildCannon(ScriptedController& match);
    static void scriptCannon(MatchHarness& harness, int players);
};
