#include "ContextOptions.h"

#include "ContextDialog.h"
#include "ContextHelp.h"
#include "app/ContextManager.h"
#include "ContextNetworkWizard1.h"
#include "ContextOptionsControls.h"
#include "ContextOptionsGameplay.h"
#include "ContextOptionsGraphics.h"
#include "ContextOptionsSound.h"
#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "core/Plim.h"

ContextOptions::ContextOptions() : ContextOptionsPage(text(Language::STR_OPTIONS)) {
    auto button = [this](float y, int caption) {
        MenuButton* b = new MenuButton(0.0f, y, 0.0f, text(caption), "");
        addChild(b);
        return b;
    };
    gameplayButton = button(80.0f, Language::STR_GAMEPLAY);
    controlsButton = button(40.0f, Language::STR_CONTROLS);
    graphicsButton = button(0.0f, Language::STR_GRAPHICS);
    soundButton = button(-40.0f, Language::STR_SOUND);
    networkWizardButton = button(-80.0f, Language::STR_NETWORKWIZARD);
    if (PLIM->bMultilanguage) languageButton = button(-120.0f, Language::STR_CHANGELANGUAGE);
    helpButton = button(float(-viewHeight() / 2 + 50), Language::STR_HELP);
    helpButton->setWidth(128);
    addBackButton();
}

ContextOptions::~ContextOptions() {}

void ContextOptions::onDeactivate(bool removed) {
    ContextOptionsPage::onDeactivate(removed);
    if (removed) gGlobal->saveData.write();
}

void ContextOptions::tickContents(double time, double dt) {
    ContextOptionsPage::tickContents(time, dt);
    ContextManager* stack = gGlobal->contextManager;
    if (gameplayButton->wasClicked()) stack->push(new ContextOptionsGameplay());
    if (controlsButton->wasClicked()) stack->push(new ContextOptionsControls());
    if (graphicsButton->wasClicked()) stack->push(new ContextOptionsGraphics());
    if (soundButton->wasClicked()) stack->push(new ContextOptionsSound());
    if (networkWizardButton->wasClicked()) stack->push(new ContextNetworkWizard1());
    if (helpButton->wasClicked()) stack->push(new ContextHelp());
    if (languageButton && languageButton->wasClicked()) {
        // Set before the dialog opens: however it closes, the next start asks.
        PLIM->defaultLanguage = -1;
        ContextDialog* dialog = new ContextDialog();
        dialog->title = text(Language::STR_CHANGELANGUAGE);
        dialog->text = text(Language::STR_CHANGELANGUAGETEXT);
        dialog->build();
        stack->push(dialog);
    }
}
