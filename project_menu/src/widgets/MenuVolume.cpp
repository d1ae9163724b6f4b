#include "MenuVolume.h"

#include "app/Global.h"

MenuVolume::MenuVolume(float x, float y, float z, const UString& caption, const UString& description,
                       int32_t* bound, int min, int max)
    : MenuInt(x, y, z, caption, description, bound, min, max, 1) {}

MenuVolume::~MenuVolume() {}

void MenuVolume::renderValue(V3 at) {
    Renderable base;
    base.position = at;
    base.rotation = rotation;
    base.scale = scale;
    base.updateVisuals();
    for (int i = 0; i < *value; i++) drawValueText(base.local2world(V3(-84.0f + 7.0f * float(i), 0.0f, 0.0f)), "|");
}

void MenuVolume::onClick() {
    MenuItem::onClick();
    gGlobal->applySettings();
}
