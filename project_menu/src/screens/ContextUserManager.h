#pragma once
// The profile list, drawn over the screen beneath it (dimmed): a click on a
// name makes that profile current; Add replaces the list with the name screen,
// Delete (after "Are you sure?") removes the current profile, Done closes it.
// The buttons keep the number of profiles between 1 and 8.
#include "ContextMenu.h"

class MenuButton;

class ContextUserManager : public ContextMenu {
public:
    ContextUserManager();
    ~ContextUserManager() override;

    void tickContents(double time, double dt) override;
    void renderContents() override;

    // The row under a point of the screen; -1 when none holds a profile.
    static int rowAt(float x, float y, int profileCount);

    MenuButton* buttonAdd = nullptr;    // a child
    MenuButton* buttonDelete = nullptr; // a child
};
