#pragma once
// The game's application object: pushes the game's first screens and keeps
// which game scene is current.
#include "app/Global.h"

#include "util/UColor.h"

class GameController;
class Quad;

class MyGlobal : public Global {
public:
    MyGlobal();
    ~MyGlobal() override;

    // The game's own screens below the start-up screens; only those that
    // this build has.
    void pushFirstContexts() override;

    // A random opaque colour whose channels are each 255 or 128, never all
    // of one kind.
    static UColor randomPureColour();
    // Cuts bar to the left fraction t of source's image (same texture),
    // refitted and anchored at its left edge.
    static void setProgressSkin(Quad* bar, Quad* source, float t);

    // The match that world objects belong to; null when there is none.
    GameController* currentController = nullptr; // not owned
};
