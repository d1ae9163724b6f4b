#pragma once
// A framed panel with a title, drawn behind a set of widgets.
#include "render/Renderable.h"
#include "util/UString.h"

class MenuGroup : public Renderable {
public:
    // A frame of that size centred on the position (skin "gui-game-square:0").
    MenuGroup(float x, float y, float z, const UString& title, float width, float height);
    ~MenuGroup() override;

    void render() override;

    UString title;

private:
    // The light plate under the title (skin "gui-game-square:1"): the title's
    // half-transparent black reads only over a light picture, the frame's
    // widgets and white texts only over a dark one.
    void renderTitlePlate(float y);

    Renderable titlePlate;
};
