#pragma once
// The options hub: a column of buttons to the gameplay, controls, graphics
// and sound pages, the network wizard, help, and in multi-language mode a
// language button that makes the next start ask for the language again.
#include "ContextOptionsPage.h"

class MenuButton;

class ContextOptions : public ContextOptionsPage {
public:
    ContextOptions();
    ~ContextOptions() override;

    void tickContents(double time, double dt) override;
    // Leaving the options saves them at once: a failure is told while the
    // player is still there, and a later crash keeps them.
    void onDeactivate(bool removed) override;

    MenuButton* gameplayButton = nullptr; // children
    MenuButton* controlsButton = nullptr;
    MenuButton* graphicsButton = nullptr;
    MenuButton* soundButton = nullptr;
    MenuButton* networkWizardButton = nullptr; // disabled: no wizard in this build
    MenuButton* languageButton = nullptr;      // null in single-language mode
    MenuButton* helpButton = nullptr;          // disabled: no help screen in this build
};
