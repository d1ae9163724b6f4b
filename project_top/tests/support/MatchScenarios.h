#pragma once
// The named scenarios of matchsim and the match tests: each builds the world
// of a scripted match and queues its input on the harness.
#include <string>
#include <vector>

class GameController;
class MatchHarness;
class ScriptedController;

class MatchScenarios {
public:
    // Starts the named scenario with that many human players; null for a name
    // no scenario has.
    static GameController* start(const std::string& name, MatchHarness& harness, int players);
    static std::vector<std::string> names();

    // Thrown objects that sink or fly out of view, and two test vehicles on a
    // script that turn, fire and meet.
    static void buildSpine(ScriptedController& match);
    static void scriptSpine(MatchHarness& harness, int players);
};
