#pragma once
// The shared layer drawn beneath the menu screens: the sea-and-sky backdrop,
// seen through a camera that puts the sea line 24 units above the bottom of
// the view, dimmed to a night sky under a veil. Held by the application
// object; screens only point at it.
#include "ContextBlender.h"

class ContextPre : public ContextBlender {
public:
    // The veil's alpha: the menus' texts (white, and the captions' green, the
    // darkest of them) read at 4.5:1 over it even where a cloud is white.
    static constexpr int VEIL_ALPHA = 236;

    ContextPre();
    ~ContextPre() override;

    void renderContents() override;
};
