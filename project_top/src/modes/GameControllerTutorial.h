#pragma once
// The tutorial: a two-day classic war against a very easy computer opponent,
// interrupted by lesson pages (the start, each round of the first day, the
// end of the first day and of the war) and by three hints that come up once
// each: the first hit taken, the first shot fired, the first bonus balloon.
// Its result enters no high-score table.
#include "GameControllerClassic.h"

class ContextGameHelp;

class GameControllerTutorial : public GameControllerClassic {
public:
    enum Page {
        PAGE_START,
        PAGE_MOUSE,
        PAGE_SUNRISE,
        PAGE_NOON,
        PAGE_SUNSET,
        PAGE_DAY_OVER,
        PAGE_WAR_OVER,
        PAGE_HEALTH,
        PAGE_BLASTER,
        PAGE_BONUS
    };
    static constexpr int TUTORIAL_DAYS = 2;

    GameControllerTutorial();
    ~GameControllerTutorial() override;

    // The classic balloons, then the hints.
    void updateRules() override;
    // The lesson pages, then the classic war's state machine.
    void onStateChange() override;

    // A page as the tutorial shows it (not pushed).
    static ContextGameHelp* createPage(Page page);

    bool bFirstDayDone = false;
    bool bBonusHintShown = false;
    bool bHealthHintShown = false;
    bool bBlasterHintShown = false;

private:
    static void pushPage(Page page);
};
