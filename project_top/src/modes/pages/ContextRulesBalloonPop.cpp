#include "ContextRulesBalloonPop.h"

#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuEnum.h"
#include "modes/GameControllerBalloonPop.h"
#include "GameStartButton.h"

ContextRulesBalloonPop::ContextRulesBalloonPop() : ContextOptionsPage("ballon pop rules") {
    SaveData& saved = gGlobal->saveData;
    addChild(new MenuEnum(0.0f, 40.0f, 0.0f, "play...", "select who you want to play with", &saved.players, 0, 1,
                          Language::STR_ENUMOPPONENTBALLOONPOPTYPE0));
    start = new GameStartButton(0.0f, -120.0f, 0.0f, "start", "start playing",
                                []() -> GameController* { return new GameControllerBalloonPop(); });
    addChild(start);
    addBackButton();
}

ContextRulesBalloonPop::~ContextRulesBalloonPop() {}

void ContextRulesBalloonPop::tickContents(double time, double dt) {
    ContextOptionsPage::tickContents(time, dt);
    start->startIfClicked();
}
