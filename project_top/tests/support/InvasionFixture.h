#pragma once
// Invasion matches on the shared match harness: the saved options a match
// starts with, running to a state, and palms that never fall.
#include "MatchFixture.h"
#include "modes/GameControllerCampaign.h"
#include "world/Palm.h"

#include <string>
#include <vector>

class InvasionTest : public MatchTest {
protected:
    // Takes every screen off: the match and whatever its end opened.
    void TearDown() override { clearStack(); }
    // The options the invasion reads in its constructor and onEnter.
    static void options(int difficulty, int players, bool help, bool mouse = false) {
        SaveData& saved = harness->app->saveData;
        saved.difficulty = difficulty;
        saved.players = players;
        saved.bInGameHelp = help;
        saved.bUseMouse = mouse;
        saved.bInGameMusic = 0;
    }
    GameControllerCampaign* startInvasion() { return start<GameControllerCampaign>(); }

    // Steps until the match is in the state (or seconds have passed); false
    // when it never got there.
    static bool runUntilState(GameControllerCampaign* match, int state, double seconds) {
        const int frames = int(seconds * 1000.0 / double(harness->periodMs));
        for (int i = 0; i < frames && harness->matchOnTop(); ++i) {
            if (match->state == state) return true;
            harness->step();
        }
        return harness->matchOnTop() && match->state == state;
    }
    // The standing palms of player 0 take no lasting damage.
    static void keepPalmsStanding(GameControllerCampaign* match) {
        PlayerData* data = match->playerData[0];
        for (int i = 0; i < data->numPalms; ++i) {
            GameObject* palm = data->palms[i].get();
            if (palm && palm->state == Palm::STATE_STANDING) palm->energy = 1.0e9f;
        }
    }
    // The controller-clock times of a message in the log.
    static std::vector<double> messageTimes(const char* text) {
        std::vector<double> times;
        const std::string quoted = std::string("\"") + text + "\"";
        for (const std::string& line : harness->log.linesOf("message")) {
            if (line.find(quoted) == std::string::npos) continue;
            const size_t tab = line.find('\t');
            times.push_back(std::stod(line.substr(tab + 1)));
        }
        return times;
    }
    static size_t soundCount(const char* name) {
        size_t count = 0;
        for (const std::string& line : harness->log.linesOf("sound"))
            if (line.find(std::string("\t") + name + "\t") != std::string::npos) ++count;
        return count;
    }
};
