#pragma once
// The shared layer drawn beneath the menu screens: the sea-and-sky backdrop,
// seen through a camera that puts the sea line 24 units above the bottom of
// the view. Held by the application object; screens only point at it. The
// menus' texts read on plates and panels of their own, not through a veil.
#include "ContextBlender.h"

class ContextPre : public ContextBlender {
public:
    ContextPre();
    ~ContextPre() override;
};
