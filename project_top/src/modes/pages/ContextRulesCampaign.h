#pragma once
// The invasion's options (players, difficulty) and its start button.
#include "screens/ContextOptionsPage.h"

class GameStartButton;

class ContextRulesCampaign : public ContextOptionsPage {
public:
    ContextRulesCampaign();
    ~ContextRulesCampaign() override;

    void tickContents(double time, double dt) override;

    GameStartButton* start = nullptr; // a child
};
