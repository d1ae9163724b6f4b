#pragma once
// Balloon pop's one option (alone or with a friend) and its start button.
#include "screens/ContextOptionsPage.h"

class GameStartButton;

class ContextRulesBalloonPop : public ContextOptionsPage {
public:
    ContextRulesBalloonPop();
    ~ContextRulesBalloonPop() override;

    void tickContents(double time, double dt) override;

    GameStartButton* start = nullptr; // a child
};
