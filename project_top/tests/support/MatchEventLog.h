#pragma once
// The event log of a match run: one line per sound started, per message shown
// and per state change of the match, each stamped with the frame number and
// the controller's clock. It records through the program's recording hooks,
// which are null outside a run, so only one log records at a time.
#include "UString.h"
#include "V3.h"
#include "modes/GameRecorder.h"

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

    // Every line, each ending in a newline.
    std::string text() const;
    // The lines that hold the word (the second column after the stamp).
    std::vector<std::string> linesOf(const char* kind) const;

    std::vector<std::string> lines;

private:
    void add(const char* kind, const std::string& detail);

    int frame = 0;
    GameController* controller = nullptr;
};
