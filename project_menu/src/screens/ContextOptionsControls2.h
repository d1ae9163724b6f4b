#pragma once
// Player 2's five flying keys, opened from player 1's page.
#include "ContextOptionsPage.h"

class ContextOptionsControls2 : public ContextOptionsPage {
public:
    ContextOptionsControls2();
    ~ContextOptionsControls2() override;
};
