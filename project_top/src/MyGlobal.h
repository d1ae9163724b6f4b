#pragma once
// The game's application object: pushes the game's first screens and keeps
// which game scene is current.
#include "Global.h"

class GameController;

class MyGlobal : public Global {
public:
    MyGlobal();
    ~MyGlobal() override;

    // The game's own screens below the start-up screens; only those that
    // this build has.
    void pushFirstContexts() override;

    // The scene that world objects belong to; null when there is none.
    GameController* currentController = nullptr; // not owned
};
