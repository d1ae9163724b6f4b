#pragma once
// The network wizard's configuration page: the player's country, and Finish,
// which records that the network has been set up.
#include "ContextMenu.h"

class MenuButton;
class MenuCountry;

class ContextNetworkWizard3 : public ContextMenu {
public:
    ContextNetworkWizard3();
    ~ContextNetworkWizard3() override;

    void tickContents(double time, double dt) override;

    MenuCountry* country = nullptr;     // a child
    MenuButton* finishButton = nullptr; // a child
};
