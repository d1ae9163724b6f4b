#pragma once
// "More options" of the high-score tables: the world-wide tables in the
// browser (the game ends), the score upload, and a reset of all five local
// tables after "Are you sure?". The reset reaches the disk with the saved
// block at exit.
#include "ContextMenu.h"
#include "util/UString.h"

class MenuButton;

class ContextHighScoresOptions : public ContextMenu {
public:
    // The online tables, on the web service's host.
    static UString worldTableUrl();

    ContextHighScoresOptions();
    ~ContextHighScoresOptions() override;

    void tickContents(double time, double dt) override;

    MenuButton* uploadButton = nullptr; // a child; disabled: no upload in this build
    MenuButton* resetButton = nullptr;  // a child
};
