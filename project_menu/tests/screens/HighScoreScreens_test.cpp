// The high-score table screen and its options page on generated pictures:
// the chooser, the rows of a fresh block, the pulsing row, the reset question
// and the world-wide tables; the main menu's buttons to them and the options.
#include "ChildrenOf.h"
#include "screens/ContextDialog.h"
#include "screens/ContextHighScores.h"
#include "screens/ContextHighScoresOptions.h"
#include "screens/ContextMain.h"
#include "app/ContextManager.h"
#include "screens/ContextNetworkWizard1.h"
#include "screens/ContextOptions.h"
#include "screens/ContextPre.h"
#include "screens/ContextScoreUpload.h"
#include "language/Language.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuButtonURL.h"
#include "widgets/MenuEnum.h"
#include "MenuTestWorld.h"
#include "StandInOpener.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "core/ResourceManager.h"
#include "audio/Sound.h"
#include "util/PlimMath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class HighScoreScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        world = new MenuTestWorld();
        world->createSharedContexts();
        world->moveAway();
        world->global->saveData.resetHighScores();
    }
    void TearDown() override {
        MenuTestWorld::closeAudio();
        delete world;
    }
    Context* top() { return world->global->contextManager->getTop(); }
    // The screen's first frame takes no time, so its clock counts from 0.
    void push(Context* screen) {
        world->global->contextManager->push(screen);
        world->frame(0.0);
    }
    SaveData& data() { return world->global->saveData; }
    int& lastPlace() { return world->global->profiles.lastHighScorePlace; }
    // Clicks a button of the dialog on top.
    void answer(bool yes) {
        ContextDialog* dialog = dynamic_cast<ContextDialog*>(top());
        ASSERT_NE(dialog, nullptr);
        MenuButton* b = yes ? dialog->pButton1 : dialog->pButton2;
        world->click(b->position.x, b->position.y);
    }
    Sound* pop() { return static_cast<Sound*>(PLIM->resourceManager->find("pop", true)); }

    MenuTestWorld* world = nullptr;
};

TEST_F(HighScoreScreensTest, TheChooserStepsThroughTheFiveTablesAndStopsAtBothEnds) {
    ContextHighScores* screen = new ContextHighScores(ContextHighScores::ALL_TABLES);
    push(screen);
    EXPECT_TRUE(screen->bDeleteWhenDone);
    EXPECT_EQ(screen->preContext, static_cast<Context*>(world->global->contextPre));
    EXPECT_EQ(screen->tableIndex, 0);
    std::vector<MenuEnum*> chooser = childrenOf<MenuEnum>(screen);
    ASSERT_EQ(chooser.size(), 1u);
    EXPECT_EQ(chooser[0]->value, &screen->tableIndex);
    EXPECT_EQ(chooser[0]->firstText, int(Language::STR_ENUMGAMETYPE0));
    EXPECT_STREQ(PLIM->language->getText(Language::STR_ENUMGAMETYPE0), "duel");
    EXPECT_STREQ(PLIM->language->getText(Language::STR_ENUMGAMETYPE4), "free-for-all");

    strcpy(data().highScores[4][0].name, "Ffa");
    const float left = -128.0f + 24.0f, right = 128.0f - 24.0f;
    world->click(left, 140.0f);
    EXPECT_EQ(screen->tableIndex, 0) << "no step below duel";
    for (int i = 0; i < 6; i++) world->click(right, 140.0f);
    EXPECT_EQ(screen->tableIndex, 4) << "no step past free-for-all";
    EXPECT_EQ(ContextHighScores::rowName(screen->tableIndex, 0), "Ffa");

}

TEST_F(HighScoreScreensTest, AGameTypesTableHasNoChooserAndABadNumberAsksForTheChooser) {
    ContextHighScores* invasion = new ContextHighScores(1);
    push(invasion);
    EXPECT_EQ(invasion->tableIndex, 1);
    EXPECT_TRUE(childrenOf<MenuEnum>(invasion).empty());
    invasion->bDone = true;
    world->frame();

    for (int bad : {-1, 6, 1000}) {
        ContextHighScores* screen = new ContextHighScores(bad);
        push(screen);
        EXPECT_EQ(screen->tableIndex, 0);
        EXPECT_EQ(childrenOf<MenuEnum>(screen).size(), 1u);
        screen->bDone = true;
        world->frame();
    }
}

TEST_F(HighScoreScreensTest, AFreshTableReadsDotsFromTwentyDownToTwoPercentAndTheNewRowPulses) {
    for (int r = 0; r < 10; r++) {
        EXPECT_EQ(ContextHighScores::rowName(2, r), "...");
        EXPECT_EQ(ContextHighScores::rowScore(2, r), UString::format("%d.0%%", 20 - 2 * r));
    }
    // A full name field without its terminator ends with the field.
    memset(data().highScores[0][3].name, 'x', HighScoreEntry::NAME_SIZE);
    EXPECT_EQ(ContextHighScores::rowName(0, 3), "xxxxxxxxxxxxxxxx");

    EXPECT_EQ(ContextHighScores::pulseColour(0.0), UColor(160, 255, 64, 255));
    EXPECT_EQ(ContextHighScores::pulseColour(PI_DOUBLE / 32.0), UColor(192, 255, 128, 255));

    lastPlace() = 0;
    ContextHighScores* screen = new ContextHighScores(ContextHighScores::ALL_TABLES);
    push(screen);
    EXPECT_EQ(screen->highlightColor, UColor(160, 255, 64, 255));
    // The test font's glyphs are solid blocks: the rows' colours show as drawn.
    EXPECT_EQ(MenuTestWorld::pixelAt(-247.0f, 95.0f), UColor(160, 255, 64, 255)) << "row 0's name";
    EXPECT_EQ(MenuTestWorld::pixelAt(247.0f, 95.0f), UColor(160, 255, 64, 255)) << "row 0's score";
    EXPECT_EQ(MenuTestWorld::pixelAt(-247.0f, 70.0f), UColor(255, 255, 255, 255)) << "row 1";
    EXPECT_EQ(MenuTestWorld::pixelAt(-247.0f, -130.0f), UColor(255, 255, 255, 255)) << "row 9";

    // The options page's reset clears the highlight.
    world->click(172.0f, -190.0f);
    ContextHighScoresOptions* options = dynamic_cast<ContextHighScoresOptions*>(top());
    ASSERT_NE(options, nullptr);
    world->click(0.0f, -40.0f);
    answer(true);
    EXPECT_EQ(lastPlace(), -1);
    world->click(0.0f, -190.0f); // OK
    EXPECT_EQ(top(), screen);
    EXPECT_EQ(MenuTestWorld::pixelAt(-247.0f, 95.0f), UColor(255, 255, 255, 255));
}

TEST_F(HighScoreScreensTest, ResetAsksFirstAndYesResetsEveryTable) {
    ContextHighScoresOptions* options = new ContextHighScoresOptions();
    push(options);
    EXPECT_TRUE(options->bDeleteWhenDone);
    EXPECT_EQ(options->resetButton->position, V3(0.0f, -40.0f, 0.0f));
    EXPECT_EQ(options->resetButton->description, "Clears all high scores");
    EXPECT_EQ(options->uploadButton->position, V3(0.0f, 40.0f, 0.0f));
    EXPECT_FALSE(options->uploadButton->bDisabled);

    for (int t = 0; t < SaveData::TABLE_COUNT; t++) data().addHighScore(t, "Ann", 50000, false);
    lastPlace() = 0;
    // Sounds are heard (and time-stamped) only with a mixer.
    PLIM->audio = new PlimAudio();

    world->click(0.0f, -40.0f);
    ContextDialog* question = dynamic_cast<ContextDialog*>(top());
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text, "Are you sure?");
    double popBefore = pop()->lastPlayTime; // the dialog's own
    answer(false);
    EXPECT_EQ(top(), options);
    EXPECT_EQ(data().highScores[3][0].getName(), "Ann");
    EXPECT_EQ(lastPlace(), 0);
    EXPECT_EQ(pop()->lastPlayTime, popBefore) << "No plays nothing";

    world->click(0.0f, -40.0f);
    popBefore = pop()->lastPlayTime;
    answer(true);
    EXPECT_EQ(top(), options);
    for (int t = 0; t < SaveData::TABLE_COUNT; t++) {
        EXPECT_EQ(data().highScores[t][0].getName(), "");
        EXPECT_EQ(data().highScores[t][0].score, 20000);
        EXPECT_EQ(data().highScores[t][9].score, 2000);
    }
    EXPECT_EQ(lastPlace(), -1);
    EXPECT_NE(pop()->lastPlayTime, popBefore);

    // Upload: the network wizard first, the upload page once it is finished.
    world->click(0.0f, 40.0f);
    EXPECT_NE(dynamic_cast<ContextNetworkWizard1*>(top()), nullptr);
    static_cast<Context*>(top())->bDone = true;
    world->frame();
    EXPECT_EQ(top(), options);
    data().bNetworkTested = 1;
    world->click(0.0f, 40.0f);
    EXPECT_NE(dynamic_cast<ContextScoreUpload*>(top()), nullptr);
}

TEST_F(HighScoreScreensTest, WorldWideScoresEndsTheProgramWithTheOnlineTable) {
    ContextHighScoresOptions* options = new ContextHighScoresOptions();
    push(options);
    MenuButtonURL* online = childrenOf<MenuButtonURL>(options).at(0);
    EXPECT_EQ(online->position, V3(0.0f, 80.0f, 0.0f));
    EXPECT_EQ(online->description, "View world-wide tables (the game will close)");
    StandInOpener opener(world->folder.root, 0);
    world->click(0.0f, 80.0f);
    EXPECT_EQ(world->global->urlToOpen, "http://www.zemtrovia.com/corvana2/highscoretable.php");
    EXPECT_TRUE(world->runUntil([&] { return world->global->contextManager->bQuit; }, 20.0));
    EXPECT_EQ(opener.opened(), "http://www.zemtrovia.com/corvana2/highscoretable.php");
}

TEST_F(HighScoreScreensTest, TheMainMenuOpensTheTablesAndTheOptions) {
    world->global->profiles.addProfile("Ann");
    ContextMain* menu = new ContextMain();
    push(menu);
    EXPECT_FALSE(menu->buttonHighScores->bDisabled);
    EXPECT_FALSE(menu->buttonOptions->bDisabled);
    world->click(0.0f, -40.0f);
    ContextHighScores* tables = dynamic_cast<ContextHighScores*>(top());
    ASSERT_NE(tables, nullptr);
    EXPECT_EQ(childrenOf<MenuEnum>(tables).size(), 1u) << "with the chooser";
    world->click(-220.0f, -190.0f); // OK
    EXPECT_EQ(top(), menu);
    world->click(0.0f, -80.0f);
    EXPECT_NE(dynamic_cast<ContextOptions*>(top()), nullptr);
}

} // namespace
