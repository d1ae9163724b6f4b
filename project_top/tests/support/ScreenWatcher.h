#pragma once
// Sits in the program's pointer layer (ticked every frame whatever the top
// screen) and writes the top screen, the pointer, the enabled buttons (with
// their captions' text ends and the hover), the keys and button held in this frame's input, a hint page's state and
// the match's line to the "screen" file of the working folder whenever they change.
#include "app/ContextManager.h"
#include "core/PlimBase.h"
#include "app/MyGlobal.h"

#include <ostream>
#include <string>

class GameController;

class ScreenWatcher : public PlimBase {
public:
    void tick(double time, double dt) override;

protected:
    // Writes the "match <state> <number>" line for the current match, if any
    // (and does whatever else the test needs each frame).
    virtual void watchMatch(GameController* match, std::ostream& out) = 0;

private:
    std::string last;
};

// The game with a watcher of type W added to its pointer layer.
template <class W> class WatchedGame : public MyGlobal {
public:
    void pushFirstContexts() override {
        MyGlobal::pushFirstContexts();
        contextManager->pointerLayer->addChild(new W());
    }
};
