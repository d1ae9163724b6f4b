#pragma once
// The event log of a match run: one line per sound started, per message shown,
// per state change of the match and per enemy's end, each stamped with the
// frame number and the controller's clock. It records through the program's recording hooks,
// which are null outside a run, so only one log records at a time.
#include "util/UString.h"
#include "util/V3.h"
#include "modes/GameRecorder.h"

#include <map>
#include <string>
#include <vector>

class SoundChannel;

class MatchEventLog : public GameRecorder {
public:
    // Sets the hooks; the log records until it is destroyed.
    MatchEventLog();
    ~MatchEventLog() override;
    MatchEventLog(const MatchEventLog&) = delete;
    MatchEventLog& operator=(const MatchEventLog&) = delete;

    // The stamp of later lines: the frame being run and the match whose clock
    // they carry (null: clock 0).
    void setFrame(int frame, GameController* controller);

    void onSound(const SoundChannel& channel);
    void onMessage(const UString& text, double seconds) override;
    void onModeState(GameController* controller, int state) override;
    // Enemies are named by class when released; their end is a line
    // ("destroyed by player N", "destroyed by palm of player N", "destroyed
    // by nobody", "sunk" or "left") with where it happened.
    void onEnemySpawned(Enemy* enemy) override;
    void onEnemyEnd(Enemy* enemy) override;
    void onMatchEnd(GameController* match) override;
    // One "alive" line for each released enemy still in the world, in the
    // order they were released.
    void addAliveEnemies();

    // Every line, each ending in a newline.
    std::string text() const;
    // The lines that hold the word (the second column after the stamp).
    std::vector<std::string> linesOf(const char* kind) const;
    // A line's tab-separated columns: frame, clock, kind, then the details.
    static std::vector<std::string> columns(const std::string& line);

    std::vector<std::string> lines;

private:
    void add(const char* kind, const std::string& detail);

    struct Released {
        size_t serial;
        std::string name;
    };

    int frame = 0;
    GameController* controller = nullptr;
    std::map<const Enemy*, Released> released;
    size_t releasedCount = 0;
};
