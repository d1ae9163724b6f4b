#include "ContextMenu.h"

ContextMenu::ContextMenu() {}

ContextMenu::~ContextMenu() {}
