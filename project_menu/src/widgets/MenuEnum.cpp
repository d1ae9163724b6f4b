#include "MenuEnum.h"

#include "language/Language.h"
#include "core/Plim.h"

MenuEnum::MenuEnum(float x, float y, float z, const UString& caption, const UString& description, int32_t* bound,
                   int min, int max, int first)
    : MenuInt(x, y, z, caption, description, bound, min, max, 1), firstText(first) {}

MenuEnum::~MenuEnum() {}

void MenuEnum::renderValue(V3 at) {
    const int id = firstText + *value;
    // A value from elsewhere that lies outside the table shows nothing.
    if (id < 0 || id >= Language::STRINGS_MAX || !PLIM->language) return;
    drawValueText(at, PLIM->language->getText(id));
}
