#include "MenuButtonQuit.h"

#include "Context.h"
#include "ContextManager.h"
#include "Global.h"

MenuButtonQuit::MenuButtonQuit(float x, float y, float z, const UString& caption, const UString& description)
    : MenuButton(x, y, z, caption, description) {}

MenuButtonQuit::~MenuButtonQuit() {}

void MenuButtonQuit::onClick() {
    MenuItem::onClick();
    if (Context* top = gGlobal->contextManager->getTop()) top->bDone = true;
}
