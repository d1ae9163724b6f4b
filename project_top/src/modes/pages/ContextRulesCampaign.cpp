#include "ContextRulesCampaign.h"

#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuEnum.h"
#include "modes/GameControllerCampaign.h"
#include "GameStartButton.h"

ContextRulesCampaign::ContextRulesCampaign() : ContextOptionsPage("invasion rules") {
    SaveData& saved = gGlobal->saveData;
    addChild(new MenuEnum(0.0f, 40.0f, 0.0f, "play...", "select who you want to play with", &saved.players, 0, 1,
                          Language::STR_ENUMOPPONENTBALLOONPOPTYPE0));
    addChild(new MenuEnum(0.0f, 0.0f, 0.0f, "difficulty", "skill of computer opponents", &saved.difficulty, 0, 4,
                          Language::STR_ENUMDIFFICULTY0));
    start = new GameStartButton(0.0f, -120.0f, 0.0f, "start", "start playing",
                                []() -> GameController* { return new GameControllerCampaign(); });
    addChild(start);
    addBackButton();
}

ContextRulesCampaign::~ContextRulesCampaign() {}

void ContextRulesCampaign::tickContents(double time, double dt) {
    ContextOptionsPage::tickContents(time, dt);
    start->startIfClicked();
}
