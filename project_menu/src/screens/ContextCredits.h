#pragma once
// The credits: scrolling text over the menu backdrop with the version line in
// the bottom-right corner; closes after a minute, on Escape or a back key.
#include "ContextMenu.h"

class ContextScroller;
class RenderableText;

class ContextCredits : public ContextMenu {
public:
    static constexpr double DURATION = 60.0;
    // Between the version line's plate and the window's edges.
    static constexpr float VERSION_INSET = 4.0f;

    ContextCredits();
    ~ContextCredits() override;

    RenderableText* versionLine = nullptr; // a child
    ContextScroller* scroller = nullptr;   // a child
};
