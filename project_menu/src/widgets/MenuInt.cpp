#include "MenuInt.h"

#include "FontQuad.h"
#include "render/Skin.h"
#include "util/V3.h"

MenuInt::MenuInt(float x, float y, float z, const UString& caption, const UString& description, int32_t* bound,
                 int min, int max, int stepSize)
    : MenuItem(x, y, z, caption, description), value(bound), minimum(min), maximum(max), step(stepSize) {}

MenuInt::~MenuInt() {}

void MenuInt::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    if (bDisabled || !bHovered || !mousePressed()) return;
    const float w = pSkin ? pSkin->width : 0.0f;
    const V3 mouse = getMousePosition();
    if (isWithinRadius(local2world(V3(-0.5f * w + 24.0f, 0.0f, 0.0f)), mouse, 26.0f)) *value -= step;
    if (isWithinRadius(local2world(V3(0.5f * w - 24.0f, 0.0f, 0.0f)), mouse, 26.0f)) *value += step;
    if (*value < minimum) *value = minimum;
    if (*value > maximum) *value = maximum;
    onClick();
}

void MenuInt::render() {
    MenuItem::render();
    if (bHidden || bDisabled || highlight <= 0.0 || !font) return;
    const float half = pSkin ? 0.5f * pSkin->width : 0.0f;
    UColor arrows = colorHighlight;
    arrows.a = uint8_t(int((highlight > 1.0 ? 1.0 : highlight) * 255.0));
    if (*value > minimum) font->printAt(position.x - (half - 15.0f), position.y, position.z, arrows, 0x12, "\x07");
    if (*value < maximum) font->printAt(position.x + half - 15.0f, position.y, position.z, arrows, 0x18, "\x08");
}

void MenuInt::renderValue(V3 at) { drawValueText(at, UString::format("%d", *value)); }
