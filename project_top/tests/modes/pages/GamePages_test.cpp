// The pages between the main menu and a match, over the real engine and data:
// Start Game, the game types, the mutators and the rules pages, clicked with
// the mouse; what each click opens, edits in the saved block and hands to the
// next match.
#include "MatchFixture.h"
#include "ChildrenOf.h"
#include "app/ContextManager.h"
#include "screens/ContextPre.h"
#include "render/Skin.h"
#include "language/Language.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuEnum.h"
#include "widgets/MenuVolume.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "RenderableText.h"
#include "ScriptedController.h"
#include "app/MyContextMain.h"
#include "modes/pages/ContextGametypes.h"
#include "modes/pages/ContextMutators.h"
#include "modes/pages/ContextRulesBalloonPop.h"
#include "modes/pages/ContextRulesCampaign.h"
#include "modes/pages/ContextRulesClassicWar.h"
#include "modes/pages/ContextRulesFFA.h"
#include "modes/pages/GameStartButton.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// A saved byte by its offset in the ".hst" layout.
uint8_t storedByte(const SaveData& data, size_t offset) { return reinterpret_cast<const uint8_t*>(&data)[offset]; }

const char* text(int id) { return PLIM->language->getText(id); }

// The text a choice widget shows.
std::string shown(const MenuEnum* choice) { return text(choice->firstText + *choice->value); }

GameController* newScriptedMatch() { return new ScriptedController(2); }

class GamePagesTest : public MatchTest {
protected:
    void SetUp() override {
        // The game options at their defaults.
        SaveData& s = saved();
        s.difficulty = 2;
        s.warDays = 5;
        s.trees = 3;
        s.opponentType = 2;
        s.players = 0;
        s.bonusFrequency = 1;
        s.allowBonuses = 2;
        s.offensivePreference = s.defensivePreference = s.bonusPreference = 12;
        s.bLimitBombRange = 1;
        s.bMatrixFight = s.bBerserkMode = s.bNoBlaster = s.bBloatedProjectiles = s.bBouncyBombs = s.bAutocannons = 0;
        // The main menu wants a player before anything else.
        if (!harness->app->profiles.isUsed(0)) harness->app->profiles.addProfile("pilot");
        away();
    }
    void TearDown() override { clearStack(); }

    static int screens() { return harness->app->contextManager->getNumChildren(); }
    static void push(Context* screen) {
        harness->app->contextManager->push(screen);
        harness->step();
    }
    // The pointer at a point of the 640 x 480 view (origin at the centre, y up).
    static void moveTo(float x, float y) {
        PLIM->input->mousePosition[0] = x + float(PLIM->graphics->fovWidth / 2);
        PLIM->input->mousePosition[1] = y + float(PLIM->graphics->fovHeight / 2);
    }
    static void away() { moveTo(-312.0f, 232.0f); }
    // Down in one frame, up in the next, then the pointer leaves.
    static void click(float x, float y) {
        moveTo(x, y);
        harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
        harness->step();
        harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, false);
        harness->step();
        away();
        harness->step();
    }
    static void escape() {
        harness->scheduleKey(harness->frame, SDLK_ESCAPE, true);
        harness->step();
        harness->scheduleKey(harness->frame, SDLK_ESCAPE, false);
        harness->step();
    }
    static RenderableText* titleOf(Context* page) {
        std::vector<RenderableText*> texts = childrenOf<RenderableText>(page);
        return texts.empty() ? nullptr : texts[0];
    }
    static MenuButtonQuit* backOf(Context* page) {
        std::vector<MenuButtonQuit*> back = childrenOf<MenuButtonQuit>(page);
        return back.size() == 1 && page->lastChild == back[0] ? back[0] : nullptr;
    }
    // Opens a page by a click and checks that exactly that one screen came.
    template <class T> static T* open(float x, float y) {
        const int before = screens();
        click(x, y);
        EXPECT_EQ(screens(), before + 1);
        return dynamic_cast<T*>(top());
    }
};

TEST_F(GamePagesTest, StartGameLeadsToTheGameTypesAndEachClickOpensOneScreen) {
    MyContextMain* menu = new MyContextMain();
    EXPECT_FALSE(menu->buttonStart->bDisabled);
    push(menu);
    ContextGametypes* types = open<ContextGametypes>(0.0f, 0.0f);
    ASSERT_TRUE(types);
    EXPECT_TRUE(types->bDeleteWhenDone);
    EXPECT_TRUE(types->bEscapeCloses);
    EXPECT_TRUE(types->bMousePointer);
    EXPECT_EQ(types->preContext, static_cast<Context*>(harness->app->contextPre));

    RenderableText* title = titleOf(types);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text, "select game type");
    EXPECT_EQ(title->position, V3(0.0f, 190.0f, 0.0f));
    EXPECT_EQ(title->font, harness->app->fontLarge);
    EXPECT_EQ(types->mutators->position, V3(220.0f, -190.0f, 0.0f));
    EXPECT_EQ(types->mutators->pSkin->width, 128.0f);
    EXPECT_EQ(types->mutators->caption, "mutators...");
    MenuButtonQuit* back = backOf(types);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->position, V3(-220.0f, -190.0f, 0.0f));
    EXPECT_EQ(back->caption, text(Language::STR_BACK));

    // Every game type is live.
    const struct {
        MenuButton* button;
        const char* caption;
        bool enabled;
    } rows[] = {
        {types->invasion, "invasion", true},       {types->duel, "duel", true},
        {types->challenge, "challenge", true},     {types->balloonPop, "balloon pop", true},
        {types->screensaver, "screensaver", true}, {types->freeForAll, "free-for-all", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.button->caption, row.caption);
        EXPECT_EQ(row.button->bDisabled, !row.enabled) << row.caption;
    }

    // Each page opens alone and uncovers the game types again.
    EXPECT_TRUE(open<ContextRulesCampaign>(0.0f, 100.0f));
    click(-220.0f, -190.0f);
    EXPECT_EQ(top(), types);
    EXPECT_TRUE(open<ContextRulesClassicWar>(0.0f, 60.0f));
    escape();
    EXPECT_EQ(top(), types);
    EXPECT_TRUE(open<ContextRulesFFA>(0.0f, -100.0f));
    escape();
    EXPECT_TRUE(open<ContextRulesBalloonPop>(0.0f, -20.0f));
    escape();
    EXPECT_TRUE(open<ContextMutators>(220.0f, -190.0f));
    escape();
    EXPECT_EQ(top(), types);

    click(-220.0f, -190.0f);
    EXPECT_EQ(top(), menu);
}

TEST_F(GamePagesTest, AMutatorSwitchSetsItsByteAndTheNextMatchHasTheFlag) {
    ContextGametypes* types = new ContextGametypes();
    push(types);
    ContextMutators* page = open<ContextMutators>(220.0f, -190.0f);
    ASSERT_TRUE(page);
    EXPECT_EQ(titleOf(page)->text, "mutators");
    std::vector<MenuBool*> switches = childrenOf<MenuBool>(page);
    ASSERT_EQ(switches.size(), 6u);
    const char* captions[] = {"no blaster", "matrix fight", "berserk mode", "bloated projectiles", "bouncy bombs",
                              "autocannons"};
    uint8_t* options[] = {&saved().bNoBlaster, &saved().bMatrixFight, &saved().bBerserkMode,
                          &saved().bBloatedProjectiles, &saved().bBouncyBombs, &saved().bAutocannons};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(switches[i]->caption, captions[i]);
        EXPECT_EQ(switches[i]->value, options[i]);
    }
    EXPECT_EQ(switches[1]->description, "fight in matrix-style \"bullet time\"");
    ASSERT_TRUE(backOf(page));

    click(0.0f, 40.0f); // berserk mode
    click(0.0f, -80.0f); // autocannons
    click(0.0f, -80.0f); // and off again
    // Saved at 2570..2575: matrix fight, berserk, no blaster, bloated, bouncy, autocannons.
    for (size_t offset = 2570; offset <= 2575; ++offset)
        EXPECT_EQ(storedByte(saved(), offset), offset == 2571 ? 1 : 0) << offset;

    // A fresh page shows the saved value.
    escape();
    ContextMutators* again = open<ContextMutators>(220.0f, -190.0f);
    ASSERT_TRUE(again);
    EXPECT_EQ(*childrenOf<MenuBool>(again)[2]->value, 1);
    escape();

    // The next match, started from a rules page, plays berserk.
    ContextRulesCampaign* rules = open<ContextRulesCampaign>(0.0f, 100.0f);
    ASSERT_TRUE(rules);
    EXPECT_FALSE(rules->start->bDisabled); // the invasion starts here
    rules->start->setFactory(newScriptedMatch);
    EXPECT_FALSE(rules->start->bDisabled);
    click(0.0f, -120.0f);
    GameController* match = harness->app->currentController;
    ASSERT_TRUE(match);
    harness->controller = match;
    EXPECT_EQ(top(), match);
    EXPECT_EQ(screens(), 3);
    EXPECT_TRUE(match->bBerserkMode);
    EXPECT_FALSE(match->bAutocannons);
    EXPECT_FALSE(match->bMatrixFight);
    EXPECT_EQ(match->gameSpeed, 2.0); // entered
    EXPECT_EQ(match->state, ScriptedController::STATE_PLAYING);

    // The match's end leads back to its rules page, ready for the next one.
    harness->finishMatch();
    harness->step();
    EXPECT_EQ(top(), rules);
    EXPECT_EQ(harness->app->currentController, nullptr);
}

TEST_F(GamePagesTest, PagesShareTheSavedValuesAndSpellTheirTexts) {
    ContextRulesClassicWar* duel = new ContextRulesClassicWar();
    push(duel);
    EXPECT_EQ(titleOf(duel)->text, "duel rules");
    std::vector<MenuEnum*> choices = childrenOf<MenuEnum>(duel);
    ASSERT_EQ(choices.size(), 2u);
    MenuEnum* opponent = choices[0];
    EXPECT_EQ(opponent->caption, "play against...");
    EXPECT_EQ(shown(opponent), "the computer");
    EXPECT_EQ(duel->howToPlay->position, V3(0.0f, -80.0f, 0.0f));
    EXPECT_FALSE(duel->howToPlay->bDisabled);
    EXPECT_FALSE(duel->start->bDisabled);

    // The left arrow stops at "a friend": "alone" is no duel.
    for (int i = 0; i < 3; ++i) click(-104.0f, 40.0f);
    EXPECT_EQ(saved().opponentType, 1);
    EXPECT_EQ(shown(opponent), "a friend");
    // Difficulty up to "very hard".
    for (int i = 0; i < 3; ++i) click(104.0f, 0.0f);
    EXPECT_EQ(saved().difficulty, 4);
    escape();

    ContextRulesCampaign* invasion = new ContextRulesCampaign();
    push(invasion);
    EXPECT_EQ(titleOf(invasion)->text, "invasion rules");
    choices = childrenOf<MenuEnum>(invasion);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0]->caption, "play...");
    EXPECT_EQ(shown(choices[0]), "alone");
    EXPECT_EQ(shown(choices[1]), "very hard");
    click(104.0f, 40.0f); // with a friend
    EXPECT_EQ(saved().players, 1);
    escape();

    ContextRulesBalloonPop* balloons = new ContextRulesBalloonPop();
    push(balloons);
    EXPECT_EQ(titleOf(balloons)->text, "ballon pop rules");
    choices = childrenOf<MenuEnum>(balloons);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(shown(choices[0]), "with a friend");
    EXPECT_EQ(balloons->start->position, V3(0.0f, -120.0f, 0.0f));
    EXPECT_FALSE(balloons->start->bDisabled);
    escape();

    ContextRulesFFA* ffa = new ContextRulesFFA();
    push(ffa);
    EXPECT_EQ(titleOf(ffa), nullptr);
    choices = childrenOf<MenuEnum>(ffa);
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_EQ(shown(choices[0]), "a friend");
    EXPECT_EQ(shown(choices[1]), "very hard");
    EXPECT_EQ(shown(choices[2]), "all");
    EXPECT_EQ(shown(choices[3]), "standard");
    EXPECT_EQ(choices[2]->description, "which bonuses will apppear during the game");
    EXPECT_EQ(ffa->start->position, V3(220.0f, -190.0f, 0.0f));
    EXPECT_EQ(ffa->start->pSkin->width, 128.0f);
    ASSERT_TRUE(backOf(ffa));
    EXPECT_EQ(backOf(ffa)->position, V3(-220.0f, -190.0f, 0.0f));

    // A preference bar re-applies the settings without touching the window.
    std::vector<MenuVolume*> bars = childrenOf<MenuVolume>(ffa);
    ASSERT_EQ(bars.size(), 3u);
    click(64.0f + 104.0f, -30.0f);
    click(64.0f - 104.0f, -110.0f);
    EXPECT_EQ(saved().offensivePreference, 13);
    EXPECT_EQ(saved().bonusPreference, 11);
    EXPECT_FALSE(PLIM->bRestartPresentation);
    const std::string log = EngineTestFolder::readFile(harness->folder.logPath());
    EXPECT_EQ(log.find("Restarting to apply configuration."), std::string::npos);
    // The bomb-range box.
    click(-39.0f, -150.0f);
    EXPECT_EQ(saved().bLimitBombRange, 0);
}

TEST_F(GamePagesTest, FreeForAllClosesItsPageWhenItStartsAGame) {
    ContextGametypes* types = new ContextGametypes();
    push(types);
    ContextRulesFFA* ffa = open<ContextRulesFFA>(0.0f, -100.0f);
    ASSERT_TRUE(ffa);
    ffa->start->setFactory(newScriptedMatch);
    click(220.0f, -190.0f);
    GameController* match = harness->app->currentController;
    ASSERT_TRUE(match);
    harness->controller = match;
    EXPECT_EQ(top(), match);
    // The page is done beneath the match and goes with it: its end leads
    // back to the game types.
    EXPECT_TRUE(ffa->bDone);
    harness->finishMatch();
    EXPECT_EQ(screens(), 1);
    harness->step();
    EXPECT_EQ(top(), types);
}

TEST_F(GamePagesTest, ChallengeAndScreensaverStartWithNoRulesPageBetween) {
    ContextGametypes* types = new ContextGametypes();
    push(types);
    for (float y : {20.0f, -60.0f}) {
        GameStartButton* button = y > 0.0f ? types->challenge : types->screensaver;
        button->setFactory(newScriptedMatch);
        click(0.0f, y);
        GameController* match = harness->app->currentController;
        ASSERT_TRUE(match);
        harness->controller = match;
        EXPECT_EQ(top(), match);
        EXPECT_EQ(screens(), 2);
        // Entered once: the scripted rules run from their first state.
        EXPECT_EQ(match->state, ScriptedController::STATE_PLAYING);
        harness->finishMatch();
        harness->step();
        EXPECT_EQ(top(), types);
    }
}

} // namespace
