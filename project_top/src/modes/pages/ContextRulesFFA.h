#pragma once
// Free-for-all: every rule of the duel family to choose, and a start button
// that closes the page, so the end of the game leads back to the game types.
#include "screens/ContextOptionsPage.h"

class GameStartButton;

class ContextRulesFFA : public ContextOptionsPage {
public:
    ContextRulesFFA();
    ~ContextRulesFFA() override;

    void tickContents(double time, double dt) override;

    GameStartButton* start = nullptr; // a child
};
