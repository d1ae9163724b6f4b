#include "ContextRulesClassicWar.h"

#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuEnum.h"
#include "modes/GameControllerClassic.h"
#include "modes/GameControllerTutorial.h"
#include "GameStartButton.h"

ContextRulesClassicWar::ContextRulesClassicWar() : ContextOptionsPage("duel rules") {
    SaveData& saved = gGlobal->saveData;
    // "alone" is no duel: the choice starts at "a friend".
    addChild(new MenuEnum(0.0f, 40.0f, 0.0f, "play against...", "select your opponent type", &saved.opponentType, 1, 2,
                          Language::STR_ENUMOPPONENTTYPE0));
    addChild(new MenuEnum(0.0f, 0.0f, 0.0f, "difficulty", "skill of computer opponents", &saved.difficulty, 0, 4,
                          Language::STR_ENUMDIFFICULTY0));
    howToPlay = new GameStartButton(0.0f, -80.0f, 0.0f, "how to play...", "step-by-step guide on how to play the game",
                                    []() -> GameController* { return new GameControllerTutorial(); });
    addChild(howToPlay);
    start = new GameStartButton(0.0f, -120.0f, 0.0f, "start", "start playing",
                                []() -> GameController* { return new GameControllerClassic(); });
    addChild(start);
    addBackButton();
}

ContextRulesClassicWar::~ContextRulesClassicWar() {}

void ContextRulesClassicWar::tickContents(double time, double dt) {
    ContextOptionsPage::tickContents(time, dt);
    howToPlay->startIfClicked();
    start->startIfClicked();
}
