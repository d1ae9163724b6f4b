#pragma once
// Watches a match for a test's event log: each message shown and each change
// of the mode's state. None is installed in the game.
#include "UString.h"

class GameController;

class GameRecorder {
public:
    virtual ~GameRecorder() = default;
    virtual void onMessage(const UString& text, double seconds) = 0;
    virtual void onModeState(GameController* controller, int state) = 0;

    // The installed recorder (not owned); null in the game.
    static GameRecorder* current;
};
