#pragma once
// The thin common base of the menu pages and the game's menu-like screens.
#include "core/Context.h"

class ContextMenu : public Context {
public:
    ContextMenu();
    ~ContextMenu() override;
};
