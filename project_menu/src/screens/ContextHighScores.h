#pragma once
// One local high-score table: ten rows of name and score (as a percentage),
// the row the last game entered pulsing green. Opened from the main menu with
// 5, it starts on table 0 with a chooser over the five tables; from the end
// scene with a table number, it shows that table alone.
#include "ContextMenu.h"
#include "util/UColor.h"
#include "util/UString.h"

#include <cstdint>

class MenuButton;
class StretchSkin;

class ContextHighScores : public ContextMenu {
public:
    // The argument that asks for the chooser.
    static constexpr int ALL_TABLES = 5;

    // table 0 to 4, or ALL_TABLES; anything else is logged and taken as ALL_TABLES.
    explicit ContextHighScores(int table);
    ~ContextHighScores() override;

    // The pulse, then "More options...".
    void tickContents(double time, double dt) override;
    // The widgets, then the ten rows.
    void renderContents() override;

    // The pulsing colour at a time of the screen's clock.
    static UColor pulseColour(double time);
    // A row's name as shown: "..." for an empty one.
    static UString rowName(int table, int row);
    // A row's score as shown ("20.0%").
    static UString rowScore(int table, int row);

    int32_t tableIndex = 0; // edited in place by the chooser
    UColor highlightColor{255, 255, 255, 255};
    MenuButton* optionsButton = nullptr; // a child
    StretchSkin* tablePanel = nullptr;   // owned: the panel under the rows
};
