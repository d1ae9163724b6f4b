#pragma once
// The duel's options (opponent, difficulty), the tutorial and the start button.
#include "screens/ContextOptionsPage.h"

class GameStartButton;

class ContextRulesClassicWar : public ContextOptionsPage {
public:
    ContextRulesClassicWar();
    ~ContextRulesClassicWar() override;

    void tickContents(double time, double dt) override;

    GameStartButton* howToPlay = nullptr; // a child
    GameStartButton* start = nullptr; // a child
};
