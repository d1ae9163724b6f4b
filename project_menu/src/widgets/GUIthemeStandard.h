#pragma once
// The standard theme: a distinct frame for each of the styles 2 to 11, small
// font. Style 3 (thick frame) raises the theme's margin to 2 for every later
// styling; the tab styles 10 and 11 give the item wider side borders.
#include "GUItheme.h"

class GUIthemeStandard : public GUItheme {
public:
    // Takes the application's small font, so the fonts must be loaded.
    GUIthemeStandard();
    ~GUIthemeStandard() override;
    void setStyle(GUIitem* item, int style) override;
};
