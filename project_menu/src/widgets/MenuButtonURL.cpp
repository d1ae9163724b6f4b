#include "MenuButtonURL.h"

#include "app/Global.h"

MenuButtonURL::MenuButtonURL(float x, float y, float z, const UString& caption, const UString& description)
    : MenuButton(x, y, z, caption, description) {}

MenuButtonURL::~MenuButtonURL() {}

void MenuButtonURL::onClick() {
    MenuItem::onClick();
    gGlobal->openLink(url);
}
