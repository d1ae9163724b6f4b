#pragma once
// Detail on the left; video mode, frame-rate limit, full screen, v-sync,
// filtering and the frame-rate counter in the "Advanced Options" group. The
// items edit the saved block; the engine gets it when the page closes for
// good (a new size or full-screen state then restarts the presentation).
#include "ContextOptionsPage.h"

class ContextOptionsGraphics : public ContextOptionsPage {
public:
    ContextOptionsGraphics();
    ~ContextOptionsGraphics() override;

    void onDeactivate(bool removed) override;

    // The lowest video mode offered: 640x480 under the debug lock, else 320x240.
    static int lowestVideoMode();
};
