#include "ContextRulesFFA.h"

#include "app/Global.h"
#include "language/Language.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuEnum.h"
#include "widgets/MenuVolume.h"
#include "RenderableText.h"
#include "modes/GameControllerFFA.h"
#include "GameStartButton.h"

ContextRulesFFA::ContextRulesFFA() : ContextOptionsPage("") {
    // The only page without a title: its options fill the screen.
    removeChild(title);
    title->deleteMe();
    title = nullptr;

    SaveData& saved = gGlobal->saveData;
    MenuInt* days = new MenuInt(-4.0f, 170.0f, 0.0f, "war days", "total number of days in the war", &saved.warDays, 1,
                                100, 1);
    days->setWidth(120);
    addChild(days);
    MenuInt* trees = new MenuInt(132.0f, 170.0f, 0.0f, "trees", "number of trees on each island", &saved.trees, 1, 10, 1);
    trees->setWidth(120);
    trees->captionLocation = MenuItem::CAPTION_RIGHT;
    addChild(trees);
    addChild(new MenuEnum(64.0f, 130.0f, 0.0f, "play against...", "select your opponent type", &saved.opponentType, 1,
                          2, Language::STR_ENUMOPPONENTTYPE0));
    addChild(new MenuEnum(64.0f, 90.0f, 0.0f, "difficulty", "skill of computer opponents", &saved.difficulty, 0, 4,
                          Language::STR_ENUMDIFFICULTY0));
    addChild(new MenuEnum(64.0f, 50.0f, 0.0f, "allow bonuses", "which bonuses will apppear during the game",
                          &saved.allowBonuses, 0, 2, Language::STR_ENUMBONUSALLOWED0));
    addChild(new MenuEnum(64.0f, 10.0f, 0.0f, "bonus frequency", "bonus rate of appearance", &saved.bonusFrequency, 0,
                          2, Language::STR_ENUMBONUSFREQUENCY0));
    addChild(new MenuVolume(64.0f, -30.0f, 0.0f, "offensive preference", "offensive preference of computer opponents",
                            &saved.offensivePreference, 0, 24));
    addChild(new MenuVolume(64.0f, -70.0f, 0.0f, "defensive preference", "defensive preference of computer opponents",
                            &saved.defensivePreference, 0, 24));
    addChild(new MenuVolume(64.0f, -110.0f, 0.0f, "bonus preference", "bonus preference of computer opponents",
                            &saved.bonusPreference, 0, 24));
    addChild(new MenuBool(-39.0f, -150.0f, 0.0f, "limit bomb range", "whether bombs will disappear after a few seconds",
                          &saved.bLimitBombRange));
    start = new GameStartButton(float(viewWidth() / 2 - 100), float(-viewHeight() / 2 + 50), 0.0f, "start",
                                "start playing", []() -> GameController* { return new GameControllerFFA(); });
    start->setWidth(128);
    addChild(start);
    addBackButton();
}

ContextRulesFFA::~ContextRulesFFA() {}

void ContextRulesFFA::tickContents(double time, double dt) {
    ContextOptionsPage::tickContents(time, dt);
    if (start->startIfClicked()) bDone = true;
}
