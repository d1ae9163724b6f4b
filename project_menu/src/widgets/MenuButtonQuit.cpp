#include "MenuButtonQuit.h"

#include "core/Context.h"
#include "app/ContextManager.h"
#include "app/Global.h"

MenuButtonQuit::MenuButtonQuit(float x, float y, float z, const UString& caption, const UString& description)
    : MenuButton(x, y, z, caption, description) {}

MenuButtonQuit::~MenuButtonQuit() {}

void MenuButtonQuit::onClick() {
    MenuItem::onClick();
    if (Context* top = gGlobal->contextManager->getTop()) top->bDone = true;
}
