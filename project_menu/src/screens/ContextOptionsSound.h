#pragma once
// Audio quality, the effects and music volumes and in-game music. A volume
// click applies the settings at once so the change is heard; the mixing rate
// is stored for the next start. Closing for good applies the block again.
#include "ContextOptionsPage.h"

class ContextOptionsSound : public ContextOptionsPage {
public:
    ContextOptionsSound();
    ~ContextOptionsSound() override;

    void onDeactivate(bool removed) override;
};
