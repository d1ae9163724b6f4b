// The main menu, the profile screens, the start-up screens and the credits,
// on generated pictures: layouts, the buttons' effects, the row hit test,
// typing a name, the logo's timing and the scroller's motion and fades.
#include "widgets/MenuColors.h"
#include "ChildrenOf.h"
#include "screens/ContextAutoConfigure.h"
#include "screens/ContextCredits.h"
#include "screens/ContextDialog.h"
#include "screens/ContextMain.h"
#include "app/ContextManager.h"
#include "screens/ContextNewUser.h"
#include "screens/ContextPost.h"
#include "screens/ContextPre.h"
#include "screens/ContextScroller.h"
#include "screens/ContextUserManager.h"
#include "screens/ContextZemtroviaLogo.h"
#include "language/Language.h"
#include "widgets/Logo.h"
#include "files/MemoryIniFile.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuButtonURL.h"
#include "MenuTestWorld.h"
#include "widgets/MenuUserDisplay.h"
#include "core/Plim.h"
#include "RenderableText.h"
#include "RenderableTimed.h"
#include "core/RuntimeClass.h"
#include "render/Skin.h"

#include <gtest/gtest.h>

#include <cctype>
#include <vector>

namespace {

class MenuScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        world = new MenuTestWorld();
        world->createSharedContexts();
        world->moveAway();
    }
    void TearDown() override { delete world; }
    Context* top() { return world->global->contextManager->getTop(); }
    // The screen's first frame takes no time, so its clock counts from 0.
    void push(Context* screen) {
        world->global->contextManager->push(screen);
        world->frame(0.0);
    }
    PlayerProfiles& profiles() { return world->global->profiles; }

    MenuTestWorld* world = nullptr;
};

TEST_F(MenuScreensTest, TheMainMenuStandsOverTheBackdropWithItsWidgetsInPlace) {
    profiles().addProfile("Ann");
    ContextMain* menu = new ContextMain();
    push(menu);
    EXPECT_EQ(menu->preContext, static_cast<Context*>(world->global->contextPre));
    EXPECT_EQ(menu->postContext, static_cast<Context*>(world->global->contextPost));
    EXPECT_TRUE(menu->bDeleteWhenDone);
    EXPECT_TRUE(menu->bEscapeAsksQuit);

    std::vector<Logo*> logos = childrenOf<Logo>(menu);
    ASSERT_EQ(logos.size(), 1u);
    EXPECT_EQ(logos[0]->position, V3(0.0f, 160.0f, 0.0f));
    EXPECT_EQ(logos[0]->scale.x, 0.5f);
    EXPECT_EQ(childrenOf<MenuUserDisplay>(menu).size(), 1u);

    EXPECT_EQ(menu->buttonStart->position, V3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(menu->buttonHighScores->position, V3(0.0f, -40.0f, 0.0f));
    EXPECT_EQ(menu->buttonOptions->position, V3(0.0f, -80.0f, 0.0f));
    EXPECT_EQ(menu->buttonCredits->position, V3(0.0f, -120.0f, 0.0f));
    EXPECT_EQ(menu->buttonStart->caption, "Start Game");
    EXPECT_EQ(menu->buttonOptions->caption, "Options...");
    EXPECT_EQ(menu->buttonCredits->caption, "Credits");
    EXPECT_EQ(menu->buttonStart->description, "");
    EXPECT_TRUE(menu->buttonStart->bDisabled);
    EXPECT_FALSE(menu->buttonHighScores->bDisabled);
    EXPECT_FALSE(menu->buttonOptions->bDisabled);
    EXPECT_FALSE(menu->buttonCredits->bDisabled);

    std::vector<MenuButtonURL*> web = childrenOf<MenuButtonURL>(menu);
    ASSERT_EQ(web.size(), 1u);
    EXPECT_EQ(web[0]->position, V3(220.0f, -190.0f, 0.0f));
    EXPECT_EQ(web[0]->pSkin->width, 128.0f);
    EXPECT_EQ(web[0]->caption, "Website");
    EXPECT_EQ(web[0]->description, "Visit official website");
    EXPECT_EQ(web[0]->url.substr(0, 7), "http://");
    std::vector<MenuButtonQuit*> quit = childrenOf<MenuButtonQuit>(menu);
    ASSERT_EQ(quit.size(), 1u);
    EXPECT_EQ(quit[0]->position, V3(-220.0f, -190.0f, 0.0f));
    EXPECT_EQ(quit[0]->caption, "\x02  Quit");

    // Backdrop beneath: sea at the bottom, sky beside the buttons.
    EXPECT_TRUE(MenuTestWorld::near(MenuTestWorld::pixelAt(0.0f, -235.0f),
                                    UColor(MenuTestWorld::SEA_COLOUR)));
    EXPECT_TRUE(MenuTestWorld::near(MenuTestWorld::pixelAt(300.0f, 0.0f),
                                    UColor(MenuTestWorld::SKY_COLOUR)));
}

TEST_F(MenuScreensTest, DisabledStartOpensNothingAndCreditsOpensTheCredits) {
    profiles().addProfile("Ann");
    ContextMain* menu = new ContextMain();
    push(menu);
    world->click(0.0f, 0.0f);
    EXPECT_EQ(top(), menu);
    world->click(0.0f, -120.0f);
    EXPECT_NE(dynamic_cast<ContextCredits*>(top()), nullptr);
}

TEST_F(MenuScreensTest, TheQuitButtonClosesTheMainMenuAndEmptiesTheStack) {
    profiles().addProfile("Ann");
    push(new ContextMain());
    world->click(-220.0f, -190.0f);
    world->frame();
    EXPECT_EQ(top(), nullptr);
    EXPECT_TRUE(world->global->contextManager->bQuit);
}

TEST(MenuScreensDeathTest, CtrlAltXOnTheMainMenuCrashesOnPurpose) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto menuWithKeys = [](std::initializer_list<SDLKey> keys) {
        EngineTestFolder::routeStdoutToStderr();
        MenuTestWorld world;
        world.createSharedContexts();
        world.global->profiles.addProfile("Ann");
        world.global->contextManager->push(new ContextMain());
        world.frame();
        for (SDLKey k : keys) world.key(k, true);
        world.frame();
        world.frame();
    };
    EXPECT_DEATH(menuWithKeys({SDLK_LCTRL, SDLK_LALT, SDLK_x}),
                 "Crash requested.\n Function: tickContents\\(\\)\n File: project_menu/src/ContextMain\n Line: 79");
    EXPECT_DEATH(menuWithKeys({SDLK_RCTRL, SDLK_LSHIFT, SDLK_RALT, SDLK_x}), "Crash requested.");
    EXPECT_EXIT(
        {
            menuWithKeys({SDLK_LCTRL, SDLK_LSHIFT, SDLK_x});
            menuWithKeys({SDLK_LALT, SDLK_x});
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

// --- Profile screens -------------------------------------------------------

TEST_F(MenuScreensTest, AddIsDisabledAtEightProfilesAndDeleteAtOne) {
    profiles().addProfile("P1");
    ContextUserManager* list = new ContextUserManager();
    push(list);
    EXPECT_FALSE(list->buttonAdd->bDisabled);
    EXPECT_TRUE(list->buttonDelete->bDisabled);
    for (int i = 2; i <= 7; i++) profiles().addProfile(UString::format("P%d", i));
    world->frame();
    EXPECT_FALSE(list->buttonAdd->bDisabled);
    EXPECT_FALSE(list->buttonDelete->bDisabled);
    profiles().addProfile("P8");
    world->frame();
    EXPECT_TRUE(list->buttonAdd->bDisabled);
}

TEST_F(MenuScreensTest, ARowIsHitBetweenItsLinesAndOnlyWhereAProfileIs) {
    EXPECT_EQ(ContextUserManager::rowAt(149.0f, 121.0f, 2), 0);
    EXPECT_EQ(ContextUserManager::rowAt(150.0f, 121.0f, 2), -1);
    EXPECT_EQ(ContextUserManager::rowAt(-150.0f, 150.0f, 2), 0);
    EXPECT_EQ(ContextUserManager::rowAt(0.0f, 120.0f, 2), 1);
    EXPECT_EQ(ContextUserManager::rowAt(0.0f, 90.5f, 2), 1);
    EXPECT_EQ(ContextUserManager::rowAt(0.0f, 90.0f, 2), -1) << "no third profile";
    EXPECT_EQ(ContextUserManager::rowAt(0.0f, 150.5f, 2), -1);
}

TEST_F(MenuScreensTest, ClickingANameMakesItCurrentAndDeleteRemovesTheCurrentOne) {
    for (const char* name : {"Ann", "Bob"}) profiles().addProfile(name);
    push(new ContextUserManager());
    world->click(0.0f, 140.0f);
    EXPECT_EQ(profiles().getCurrentProfile(), 0);
    world->click(0.0f, 100.0f);
    EXPECT_EQ(profiles().getCurrentProfile(), 1);

    world->click(0.0f, -128.0f); // Delete asks first
    ContextDialog* question = dynamic_cast<ContextDialog*>(top());
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text, "Are you sure?");
    *question->pAnswer = 0;
    question->bDone = true;
    world->run(0.1);
    EXPECT_EQ(profiles().countProfiles(), 1);
    EXPECT_STREQ(profiles().getName(profiles().getCurrentProfile()), "Ann");
}

TEST_F(MenuScreensTest, AddReplacesTheListWithTheNameScreen) {
    profiles().addProfile("Ann");
    ContextUserManager* list = new ContextUserManager();
    push(list);
    world->click(-160.0f, -128.0f);
    ContextNewUser* names = dynamic_cast<ContextNewUser*>(top());
    ASSERT_NE(names, nullptr);
    EXPECT_TRUE(list->bDone) << "it leaves the stack with the name screen";
    names->name = "Bob";
    world->typeKey(SDLK_RETURN, 13);
    EXPECT_EQ(top(), nullptr);
}

class NewUserTest : public MenuScreensTest {
protected:
    void SetUp() override {
        MenuScreensTest::SetUp();
        screen = new ContextNewUser();
        push(screen);
    }
    void type(const char* text) {
        for (const char* c = text; *c; c++)
            world->typeKey(*c == '}' ? SDLK_RIGHTBRACKET : SDLKey(tolower(*c)), Uint16(*c));
    }
    ContextNewUser* screen = nullptr;
};

TEST_F(NewUserTest, EnterOnAnEmptyNameDoesNothingAndEscapeDoesNotClose) {
    EXPECT_TRUE(screen->buttonOK->bDisabled);
    world->typeKey(SDLK_RETURN, 13);
    world->typeKey(SDLK_ESCAPE, 27);
    world->click(0.0f, -80.0f);
    EXPECT_EQ(top(), screen);
    EXPECT_EQ(profiles().countProfiles(), 0);
    // Nor does an Enter that comes first in a frame of fast typing.
    for (char c : {'\r', 'j', 'o'}) world->key(SDLKey(c), true, Uint16(c));
    world->frame();
    EXPECT_EQ(top(), screen);
    EXPECT_EQ(screen->name, "jo");
}

TEST_F(NewUserTest, TheNameTakesFifteenAllowedCharacters) {
    type("abcdefghijklmnop");
    EXPECT_EQ(screen->name, "abcdefghijklmno");
    for (int i = 0; i < 15; i++) world->typeKey(SDLK_BACKSPACE, 8);
    world->typeKey(SDLK_BACKSPACE, 8);
    EXPECT_EQ(screen->name, "");
    world->typeKey(SDLK_BACKQUOTE, '`');
    world->typeKey(SDLK_BACKQUOTE, '~');
    type("A b!}");
    EXPECT_EQ(screen->name, "A b!}");
}

TEST_F(NewUserTest, EnterOrOKAddsTheProfileMakesItCurrentAndCloses) {
    profiles().addProfile("Bob");
    type("Ann");
    EXPECT_FALSE(screen->buttonOK->bDisabled);
    world->typeKey(SDLK_RETURN, 13);
    EXPECT_EQ(profiles().countProfiles(), 2);
    EXPECT_STREQ(profiles().getName(profiles().getCurrentProfile()), "Ann");
    EXPECT_EQ(top(), nullptr);

    push(new ContextNewUser());
    type("Cid");
    world->click(0.0f, -80.0f);
    EXPECT_STREQ(profiles().getName(profiles().getCurrentProfile()), "Cid");

    // A whole name and Enter within one frame, Shift going down with each
    // capital: every letter counts, and what follows Enter is not taken.
    push(new ContextNewUser());
    for (char c : {'M', 'A', 'X', '\r', 'y'}) {
        world->key(SDLK_LSHIFT, true);
        world->key(SDLKey(tolower(c)), true, Uint16(c));
        world->key(SDLK_LSHIFT, false);
    }
    world->frame();
    EXPECT_STREQ(profiles().getName(profiles().getCurrentProfile()), "MAX");
}

TEST_F(NewUserTest, TheCursorBlinksAndTheNameStaysCentred) {
    type("Ann");
    // The label's clock: the screen's own time.
    for (int i = 0; i < 12; i++) {
        world->frame(0.025);
        const bool on = int(8.0 * screen->time) % 2 == 0;
        EXPECT_EQ(screen->nameLabel->text, on ? "Ann_" : "Ann");
    }
    EXPECT_EQ(screen->nameLabel->position.x, -12.0f) << "half of \"Ann_\" in 6-unit blocks";
}

TEST_F(NewUserTest, TheNameIsTypedIntoAFieldThatStandsOutFromThePanel) {
    type("Ann");
    world->moveAway();
    world->frame();
    // The edit-box picture round the name's line (top y 25), across the longest
    // name; the panel's own picture beyond it.
    const float middle = 25.0f - float(MenuTestWorld::GLYPH_HEIGHT) / 2.0f;
    EXPECT_EQ(MenuTestWorld::pixelAt(-150.0f, middle), UColor(MenuTestWorld::EDITBOX_COLOUR));
    EXPECT_EQ(MenuTestWorld::pixelAt(150.0f, middle), UColor(MenuTestWorld::EDITBOX_COLOUR));
    EXPECT_EQ(MenuTestWorld::pixelAt(-230.0f, middle), UColor(MenuTestWorld::SQUARE_COLOUR));
}

// --- Start-up screens --------------------------------------------------------

TEST_F(MenuScreensTest, TheMakersLogoShowsFor2Point5SecondsAndTheScreenEndsAt3Point5) {
    ContextZemtroviaLogo* logo = new ContextZemtroviaLogo();
    EXPECT_FALSE(logo->bMousePointer);
    EXPECT_TRUE(logo->bBackKeysClose);
    push(logo);
    RenderableTimed* picture = logo->picture;
    world->run(0.5, 0.05);
    EXPECT_EQ(picture->color.a, 255);
    EXPECT_EQ(MenuTestWorld::pixelAt(0.0f, 0.0f), UColor(255, 255, 255, 255));
    EXPECT_EQ(MenuTestWorld::pixelAt(200.0f, 0.0f), UColor(0, 0, 0, 255));
    world->run(1.5, 0.05); // 2.0 s
    EXPECT_EQ(picture->color.a, 255);
    world->run(0.25, 0.05); // 2.25 s, halfway out
    EXPECT_LT(picture->color.a, 200);
    world->run(0.25, 0.05); // 2.5 s: transparent
    EXPECT_EQ(picture->color.a, 0);
    EXPECT_EQ(MenuTestWorld::pixelAt(0.0f, 0.0f), UColor(0, 0, 0, 255));
    world->run(0.1, 0.05);
    EXPECT_EQ(childrenOf<RenderableTimed>(logo).size(), 0u) << "the picture has removed itself";
    world->run(0.85, 0.05); // 3.45 s
    EXPECT_EQ(top(), logo);
    world->run(0.1, 0.05); // done past 3.5 s, popped in the next frame
    world->frame(0.0);
    EXPECT_EQ(top(), nullptr);
}

TEST_F(MenuScreensTest, EscapeOrAFireKeyEndsTheLogoAtOnce) {
    ContextZemtroviaLogo* logo = new ContextZemtroviaLogo();
    push(logo);
    world->typeKey(SDLK_ESCAPE, 27);
    EXPECT_EQ(top(), nullptr);
    push(new ContextZemtroviaLogo());
    world->typeKey(SDLK_SPACE, ' '); // player 1's fire
    EXPECT_EQ(top(), nullptr);
}

TEST_F(MenuScreensTest, TheConfigurationCheckWritesItsKeysAndClosesAfterOneFrame) {
    MemoryIniFile* config = PLIM->config;
    ContextAutoConfigure* check = new ContextAutoConfigure();
    EXPECT_TRUE(config->hasKey("ContextAutoConfigure", "bAutoConfigure"));
    EXPECT_EQ(config->getString("ContextAutoConfigure", "bAutoConfigure"), "Yes");
    EXPECT_EQ(config->getString("ContextAutoConfigure", "bPauseAutoConfigure"), "No");
    EXPECT_FALSE(check->bMousePointer);
    EXPECT_FALSE(check->bEscapeCloses);
    EXPECT_STREQ(check->getClass()->name.c_str(), "ContextAutoConfigure");
    push(check);
    world->frame();
    EXPECT_EQ(top(), nullptr);

    config->setString("ContextAutoConfigure", "bAutoConfigure", "No");
    config->setString("ContextAutoConfigure", "bPauseAutoConfigure", "Yes");
    ContextAutoConfigure* paused = new ContextAutoConfigure();
    EXPECT_FALSE(paused->bAutoConfigure);
    EXPECT_TRUE(paused->bMousePointer);
    EXPECT_EQ(config->getString("ContextAutoConfigure", "bAutoConfigure"), "No");
    push(paused);
    world->frame();
    EXPECT_EQ(top(), nullptr);
}

// --- Credits -----------------------------------------------------------------

TEST_F(MenuScreensTest, TheCreditsCarryTheVersionLineAndCloseAfterAMinute) {
    ContextCredits* credits = new ContextCredits();
    EXPECT_EQ(credits->versionLine->text, "Corvana2demo v2.60");
    EXPECT_EQ(credits->versionLine->position, V3(313.0f, -233.0f, 0.0f)) << "its plate 4 clear of the edges";
    EXPECT_EQ(credits->versionLine->printFlags, 0x28);
    EXPECT_EQ(credits->versionLine->color, MenuColors::plateText());
    EXPECT_FALSE(credits->versionLine->bShadow);
    EXPECT_EQ(credits->preContext, static_cast<Context*>(world->global->contextPre));
    EXPECT_TRUE(credits->bBackKeysClose);
    push(credits);
    world->run(59.9, 0.05);
    EXPECT_EQ(top(), credits);
    world->run(0.2, 0.05);
    EXPECT_EQ(top(), nullptr);
    // A back key closes them at once.
    push(new ContextCredits());
    world->click(0.0f, 0.0f);
    EXPECT_EQ(top(), nullptr);
}

TEST_F(MenuScreensTest, TheScrollerFadesLinesInAboveTheBottomAndOutBelowTheTop) {
    EXPECT_EQ(ContextScroller::lineAlpha(-240.0f, 240.0f, -240.0f), 0.0f);
    EXPECT_EQ(ContextScroller::lineAlpha(-200.0f, 240.0f, -240.0f), 0.0f);
    EXPECT_FLOAT_EQ(ContextScroller::lineAlpha(-170.0f, 240.0f, -240.0f), 0.5f);
    EXPECT_EQ(ContextScroller::lineAlpha(-140.0f, 240.0f, -240.0f), 1.0f);
    EXPECT_EQ(ContextScroller::lineAlpha(190.0f, 240.0f, -240.0f), 1.0f);
    EXPECT_FLOAT_EQ(ContextScroller::lineAlpha(215.0f, 240.0f, -240.0f), 0.5f);
    EXPECT_EQ(ContextScroller::lineAlpha(240.0f, 240.0f, -240.0f), 0.0f);
}

TEST_F(MenuScreensTest, LinesRiseAt30UnitsASecondAndAreDroppedPastTheTop) {
    ContextCredits* credits = new ContextCredits();
    ContextScroller* scroller = credits->scroller;
    std::vector<RenderableText*> lines = childrenOf<RenderableText>(scroller->lines);
    ASSERT_EQ(lines.size(), 13u);
    RenderableText* title = lines[0];
    EXPECT_EQ(title->text, "Corvana 2");
    EXPECT_EQ(title->position.y, -240.0f);
    EXPECT_EQ(title->font, world->global->fontLarge);
    EXPECT_FLOAT_EQ(lines[1]->position.y, -240.0f - 1.15f * 10.0f);
    EXPECT_FLOAT_EQ(lines[2]->position.y, -240.0f - 2.0f * 1.15f * 10.0f);
    // A row of two columns: left text, six blanks, right text, from minus the
    // width of the left text and three blanks.
    RenderableText* roles = lines[6];
    EXPECT_EQ(roles->text, UString("and Artwork      ") + PLIM->language->getText(Language::STR_CREDITS1B));
    EXPECT_EQ(roles->position.x, -float(14 * MenuTestWorld::GLYPH_WIDTH));
    EXPECT_EQ(roles->printFlags, 2);
    EXPECT_EQ(lines[4]->text, "Game Design,       ");
    EXPECT_EQ(lines[8]->text, "Music");
    EXPECT_EQ(lines[8]->printFlags, 4);
    EXPECT_FALSE(lines[8]->bShadow);

    push(credits);
    world->run(1.0, 0.05);
    EXPECT_NEAR(title->position.y, -210.0f, 0.1f);
    EXPECT_TRUE(title->bHidden) << "invisible until 40 above the bottom";
    world->run(2.0, 0.05); // y -150
    EXPECT_FALSE(title->bHidden);
    EXPECT_GT(title->color.a, 200);
    world->run(13.0, 0.05); // y 240: at the top edge after 16 s
    EXPECT_NEAR(title->position.y, 240.0f, 0.2f);
    EXPECT_LE(title->color.a, 1);
    world->run(2.2, 0.05); // past y 304
    EXPECT_EQ(childrenOf<RenderableText>(scroller->lines).front(), lines[1]);
}

} // namespace
