#include "ContextGametypes.h"

#include "app/ContextManager.h"
#include "app/Global.h"
#include "widgets/MenuButton.h"
#include "modes/GameControllerChallenge.h"
#include "modes/GameControllerScreenSaver.h"
#include "ContextMutators.h"
#include "ContextRulesBalloonPop.h"
#include "ContextRulesCampaign.h"
#include "ContextRulesClassicWar.h"
#include "ContextRulesFFA.h"
#include "GameStartButton.h"

namespace {

template <class T> T* addButton(Context* page, T* button) {
    page->addChild(button);
    return button;
}

void open(Context* page) { gGlobal->contextManager->push(page); }

} // namespace

ContextGametypes::ContextGametypes() : ContextOptionsPage("select game type") {
    invasion = addButton(this, new MenuButton(0.0f, 100.0f, 0.0f, "invasion",
                                              "defend your island against attacking enemies"));
    duel = addButton(this, new MenuButton(0.0f, 60.0f, 0.0f, "duel", "classic war (corvana 1)"));
    challenge = addButton(this, new GameStartButton(0.0f, 20.0f, 0.0f, "challenge",
                                                    "fight your way through opponents of increasing difficulty",
                                                    []() -> GameController* {
                                                        return new GameControllerChallenge();
                                                    }));
    balloonPop = addButton(this, new MenuButton(0.0f, -20.0f, 0.0f, "balloon pop",
                                                "pop the most balloons in this test of speed and accuracy"));
    screensaver = addButton(this, new GameStartButton(0.0f, -60.0f, 0.0f, "screensaver",
                                                      "fireworks screensaver mode",
                                                      []() -> GameController* {
                                                          return new GameControllerScreenSaver();
                                                      }));
    freeForAll = addButton(this, new MenuButton(0.0f, -100.0f, 0.0f, "free-for-all", "create your own game rules!"));

    mutators = addButton(this, new MenuButton(float(viewWidth() / 2 - 100), float(-viewHeight() / 2 + 50), 0.0f,
                                              "mutators...", "configure game-altering mutators"));
    mutators->setWidth(128);
    addBackButton();
}

ContextGametypes::~ContextGametypes() {}

void ContextGametypes::tickContents(double time, double dt) {
    ContextOptionsPage::tickContents(time, dt);
    // Each poll on its own: every button clicked since the last tick acts.
    if (invasion->wasClicked()) open(new ContextRulesCampaign());
    if (duel->wasClicked()) open(new ContextRulesClassicWar());
    challenge->startIfClicked();
    if (balloonPop->wasClicked()) open(new ContextRulesBalloonPop());
    screensaver->startIfClicked();
    if (freeForAll->wasClicked()) open(new ContextRulesFFA());
    if (mutators->wasClicked()) open(new ContextMutators());
}
