#pragma once
// The game's logo, drawn from the composite picture "logo:all", shown for a
// time like any timed picture, with its subtitle under the ribbon: a text on
// a plate of its own, at the logo's scale and alpha.
#include "RenderableTimed.h"

class RenderableText;

class Logo : public RenderableTimed {
public:
    // Needs the composite registered as "logo:all".
    Logo();
    ~Logo() override;

    void render() override;

    // A subtitle for a logo drawn elsewhere (alpha 0 until placed): the
    // caller owns it and places it with the logo.
    static RenderableText* newSubtitle();
    // Under the ribbon of that logo, in its alpha, in the font that suits its scale.
    static void placeSubtitle(RenderableText* subtitle, const Renderable& logo);

    RenderableText* subtitle = nullptr; // owned
};
