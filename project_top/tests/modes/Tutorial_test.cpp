// The tutorial on the match harness (real engine, injected clock): started
// from the duel rules page, its lesson pages in the order a player reads
// them, the round pages on the first day only, the mouse page only with
// "use mouse" on, each hint once with player 0's first hit, shot and balloon,
// and the end scene without a table entry, which opens the table chooser.
#include "screens/ContextHighScores.h"
#include "app/ContextManager.h"
#include "widgets/MenuEnum.h"
#include "MatchFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "RenderableText.h"
#include "modes/ContextEnding.h"
#include "modes/GameControllerTutorial.h"
#include "modes/pages/ContextGameHelp.h"
#include "modes/pages/ContextRulesClassicWar.h"
#include "modes/pages/GameStartButton.h"

#include <functional>
#include <string>
#include <vector>

namespace {

typedef GameControllerTutorial Tutorial;

// A page as read: its first line, and the war's day and round beneath it.
struct Read {
    std::string line;
    int day;
    int round;
};

class TutorialTest : public MatchTest {
protected:
    void SetUp() override {
        SaveData& saved = harness->app->saveData;
        saved.bInGameMusic = 0;
        saved.opponentType = 1; // the tutorial plays the computer anyway
        saved.difficulty = 4;
        harness->log.lines.clear();
        pages.clear();
    }
    void TearDown() override { clearStack(); }
    static void click() {
        harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
        harness->step();
        harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, false);
        harness->step();
    }
    static std::string firstLine(ContextGameHelp* page) {
        for (BasicLink* c = page->content->firstChild; c; c = c->next)
            if (RenderableText* text = dynamic_cast<RenderableText*>(static_cast<PlimBase*>(c)))
                return text->text.c_str();
        return "";
    }
    // Starts the tutorial with the duel rules page's "how to play..." button.
    Tutorial* startFromRulesPage() {
        ContextRulesClassicWar* rules = new ContextRulesClassicWar();
        harness->app->contextManager->push(rules);
        harness->step();
        EXPECT_FALSE(rules->howToPlay->bDisabled);
        PLIM->input->mousePosition[0] = float(PLIM->graphics->fovWidth / 2);
        PLIM->input->mousePosition[1] = float(PLIM->graphics->fovHeight / 2 - 80);
        click();
        Tutorial* tutorial = dynamic_cast<Tutorial*>(harness->app->currentController);
        harness->controller = tutorial;
        // Balloons come only when a test releases them.
        if (tutorial) tutorial->nextBonusAt = 1.0e6;
        PLIM->input->mousePosition[0] = 8.0f;
        PLIM->input->mousePosition[1] = 8.0f;
        return tutorial;
    }
    // Reads and closes every page on top; the game under them stands still.
    void readPages(Tutorial* tutorial) {
        while (ContextGameHelp* page = dynamic_cast<ContextGameHelp*>(top())) {
            pages.push_back({firstLine(page), tutorial->day, tutorial->round});
            const double gameTime = tutorial->time;
            harness->runSeconds(0.6);
            EXPECT_EQ(tutorial->time, gameTime) << pages.back().line;
            click();
            for (int i = 0; i < 200 && top() == page; ++i) harness->step();
            ASSERT_NE(top(), static_cast<Context*>(page)) << "page stays: " << pages.back().line;
        }
    }
    // Runs the war, ending each battle with a lost plane, and reads every page,
    // until the end scene; hit() acts in the first frame of each battle.
    void runWar(Tutorial* tutorial, const std::function<void(int battle)>& hit) {
        int battles = 0;
        bool inBattle = false;
        for (int i = 0; i < 40000 && top() == tutorial; ++i) {
            harness->step();
            readPages(tutorial);
            if (tutorial->state == Tutorial::STATE_BATTLE && !inBattle) {
                inBattle = true;
                hit(battles++);
                harness->step();
                readPages(tutorial);
                tutorial->onPlayerDie(1);
            }
            if (tutorial->state != Tutorial::STATE_BATTLE) inBattle = false;
        }
        EXPECT_EQ(battles, 6);
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (const Read& read : pages) out.push_back(read.line);
        return out;
    }

    std::vector<Read> pages;
};

TEST_F(TutorialTest, TwoDaysOfLessonsAndEachHintOnceThenTheTableChooser) {
    harness->app->saveData.bUseMouse = 1;
    Tutorial* tutorial = startFromRulesPage();
    ASSERT_TRUE(tutorial);
    EXPECT_EQ(tutorial->days, 2);
    EXPECT_EQ(tutorial->computerPlayers, 1);
    EXPECT_EQ(tutorial->aiSkill, 0.0f);
    EXPECT_EQ(tutorial->gameType, GameController::GAMETYPE_NONE);
    EXPECT_EQ(tutorial->palmCount, 3);

    runWar(tutorial, [&](int battle) {
        Vehicle* own = tutorial->playerData[0]->vehicle();
        ASSERT_TRUE(own);
        switch (battle) {
        case 0: // sunrise: the first hit
            own->energy = own->maxEnergy * 0.5f;
            break;
        case 1: // noon: the first shot and balloon together, and a hit again
            own->blasterEnergy = own->maxBlasterEnergy * 0.5f;
            tutorial->spawnBalloon(0.0f, 100.0f, 0.0f, 90.0, false);
            own->energy = own->maxEnergy * 0.5f;
            break;
        default: // all three again on the second day
            own->energy = own->maxEnergy * 0.5f;
            own->blasterEnergy = own->maxBlasterEnergy * 0.5f;
            tutorial->spawnBalloon(0.0f, 100.0f, 0.0f, 90.0, false);
            break;
        }
    });

    // In reading order; the last page pushed is read first.
    const std::vector<std::string> expected = {
        "let's go!",
        "sunrise: attack round",
        "move the arrow pointer on the screen and your airplane will follow it.",
        "your health",
        "noon: defense round",
        "a bonus has appeared!",
        "your blaster",
        "sunset: dogfight round",
        "day over!",
        "war over!",
    };
    EXPECT_EQ(lines(), expected);
    ASSERT_EQ(pages.size(), expected.size());
    // Round pages come before their round, on day 1; the war page after day 2.
    EXPECT_EQ(pages[1].day, 1);
    EXPECT_EQ(pages[1].round, 0);
    EXPECT_EQ(pages[4].round, 1);
    EXPECT_EQ(pages[7].round, 2);
    EXPECT_EQ(pages[8].day, 1);
    EXPECT_EQ(pages[9].day, 2);
    EXPECT_TRUE(tutorial->bFirstDayDone);
    EXPECT_TRUE(tutorial->bHealthHintShown && tutorial->bBlasterHintShown && tutorial->bBonusHintShown);

    // The end scene enters nothing and leads to the table chooser.
    ContextEnding* ending = dynamic_cast<ContextEnding*>(top());
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->gameType, GameController::GAMETYPE_NONE);
    for (int i = 0; i < 4000 && top() == ending; ++i) {
        harness->step();
        if (top() != ending) break; // closed and deleted in that frame
        if (ending->state == ContextEnding::STATE_CLICK && ending->stateGoto != ContextEnding::STATE_CLOSE) click();
    }
    ContextHighScores* scores = dynamic_cast<ContextHighScores*>(top());
    ASSERT_TRUE(scores);
    // The chooser: a choice of table over the first one.
    bool chooser = false;
    for (BasicLink* c = scores->firstChild; c; c = c->next)
        chooser = chooser || dynamic_cast<MenuEnum*>(static_cast<PlimBase*>(c)) != nullptr;
    EXPECT_TRUE(chooser);
    EXPECT_EQ(scores->tableIndex, 0);
}

TEST_F(TutorialTest, WithoutTheMouseThereIsNoMousePage) {
    harness->app->saveData.bUseMouse = 0;
    Tutorial* tutorial = startFromRulesPage();
    ASSERT_TRUE(tutorial);
    for (int i = 0; i < 3000 && tutorial->state != Tutorial::STATE_BATTLE; ++i) {
        harness->step();
        readPages(tutorial);
    }
    ASSERT_EQ(tutorial->state, Tutorial::STATE_BATTLE);
    const std::vector<std::string> expected = {"let's go!", "sunrise: attack round"};
    EXPECT_EQ(lines(), expected);
}

} // namespace
