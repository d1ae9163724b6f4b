#include "MenuBool.h"

#include "FontQuad.h"

MenuBool::MenuBool(float x, float y, float z, const UString& caption, const UString& description, uint8_t* bound)
    : MenuItem(x, y, z, caption, description), value(bound) {
    setWidth(50);
}

MenuBool::~MenuBool() {}

void MenuBool::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    if (bHovered && mousePressed() && !bDisabled) {
        *value = *value ? 0 : 1;
        onClick();
    }
}

void MenuBool::render() {
    MenuItem::render();
    if (bHidden || !*value || !font) return;
    font->printAt(position.x, position.y, position.z, colorCurrent, 0x14, "\x01");
}
