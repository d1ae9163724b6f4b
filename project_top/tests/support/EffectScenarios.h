#pragma once
// The matchsim scenarios of the palms, the fireworks and the bonus balloons.
class MatchHarness;
class ScriptedController;

class EffectScenarios {
public:
    // Islands with three palms each; shells dropped on them set them burning
    // (or sway a burning one) and leave stumps.
    static void buildPalms(ScriptedController& match);
    // The end scene's fireworks: a first salvo of 14 fuses (7 at detail 0),
    // then salvos of random size at random intervals.
    static void buildFireworks(ScriptedController& match);
    // Two vehicles flying through rows of bonus balloons, shooting some;
    // short-lived balloons expire and new ones come at the bonus times.
    static void buildBonuses(ScriptedController& match);
    static void scriptBonuses(MatchHarness& harness, int players);
};
