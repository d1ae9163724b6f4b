#pragma once
// Watches a match for a test's event log: each message shown, each change of
// the mode's state, and each enemy released and ended. None is installed in
// the game.
#include "util/UString.h"

class Enemy;
class GameController;

class GameRecorder {
public:
    virtual ~GameRecorder() = default;
    virtual void onMessage(const UString& text, double seconds) = 0;
    virtual void onModeState(GameController* controller, int state) = 0;
    // An enemy entered the world / ended by itself (destroyed, sunk or gone).
    virtual void onEnemySpawned(Enemy* enemy) {}
    virtual void onEnemyEnd(Enemy* enemy) {}
    // A match is being deleted: forget it.
    virtual void onMatchEnd(GameController* controller) {}

    // The installed recorder (not owned); null in the game.
    static GameRecorder* current;
};
