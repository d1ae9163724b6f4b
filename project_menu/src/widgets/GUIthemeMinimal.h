#pragma once
// The minimal theme: one generic frame for every visible style, tiny font.
#include "GUItheme.h"

class GUIthemeMinimal : public GUItheme {
public:
    // Takes the application's tiny font, so the fonts must be loaded.
    GUIthemeMinimal();
    ~GUIthemeMinimal() override;
    void setStyle(GUIitem* item, int style) override;
};
