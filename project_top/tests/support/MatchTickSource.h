#pragma once
// The clock of a match run: time moves only when the engine sleeps. Outside a
// frame a sleep advances it by what was asked; inside a frame the frame
// limiter's sleep ends exactly at the frame's deadline, so every frame lasts
// the same whole number of milliseconds whatever the limiter's rounding. Only
// the sleeps outside a frame are recorded in delays.
#include "ManualTickSource.h"

class MatchTickSource : public ManualTickSource {
public:
    // A frame of periodMs that begins now; extraMs pass at once (the frame's
    // work took that long), so a frame longer than the period does not sleep.
    void beginFrame(uint32_t periodMs, uint32_t extraMs);
    void delay(uint32_t milliseconds) override;

    uint32_t deadline = 0; // 0: no frame running
};
