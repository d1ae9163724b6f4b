// The widget base and the buttons: hover fade and colours, clicks once per
// press, disabled items, shortcuts, confirmation questions, the quit and URL
// buttons and the caption places. Runs under Xvfb with generated pictures.
#include "screens/ContextDialog.h"
#include "app/ContextManager.h"
#include "screens/ContextMenu.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonURL.h"
#include "MenuTestWorld.h"
#include "StandInOpener.h"
#include "core/Plim.h"
#include "render/Skin.h"

#include <gtest/gtest.h>

namespace {

using MenuItemTest = MenuScreenTest;

TEST_F(MenuItemTest, HoverFadesTheHighlightInAndOutInAQuarterSecond) {
    MenuItem* item = add(new MenuItem(0.0f, 0.0f, 0.0f, "Item", "Help"));
    EXPECT_EQ(item->colorCurrent, UColor(255, 255, 255, 255)) << "white until the first tick";
    EXPECT_EQ(item->pSkin->width, 256.0f);

    world->moveMouse(100.0f, 5.0f);
    world->run(0.125, 0.025);
    EXPECT_TRUE(item->bHovered);
    EXPECT_NEAR(item->highlight, 0.5, 1e-6);
    EXPECT_EQ(item->colorCurrent, UColor(16, 200, 16, 255));
    world->run(0.2, 0.025);
    EXPECT_EQ(item->highlight, 1.0);
    EXPECT_EQ(item->colorCurrent, item->colorHighlight);

    world->moveMouse(200.0f, 5.0f); // right of the 256-wide frame
    world->frame(0.05);
    EXPECT_FALSE(item->bHovered);
    EXPECT_NEAR(item->highlight, 0.8, 1e-6);
    world->run(0.25, 0.05);
    EXPECT_EQ(item->highlight, 0.0);
    EXPECT_EQ(item->colorCurrent, item->colorNormal);
    EXPECT_FALSE(item->wasClicked()) << "hovering is no click";
}

TEST_F(MenuItemTest, TheHighlightLayerShowsOverTheFrameWhileHovered) {
    add(new MenuItem(0.0f, 0.0f, 0.0f, "", ""));
    world->moveAway();
    world->frame();
    EXPECT_EQ(MenuTestWorld::pixelAt(-100.0f, 0.0f), UColor(MenuTestWorld::EDITBOX_COLOUR));
    world->moveMouse(100.0f, 0.0f); // the pointer is drawn here
    world->run(0.3);
    EXPECT_EQ(MenuTestWorld::pixelAt(-100.0f, 0.0f), UColor(MenuTestWorld::EDITBOX_LIT_COLOUR));
}

TEST_F(MenuItemTest, ADisabledItemTakesTheDisabledColourAndNoHighlightLayer) {
    MenuItem* item = add(new MenuItem(0.0f, 0.0f, 0.0f, "", ""));
    item->bDisabled = true;
    world->moveMouse(100.0f, 0.0f);
    world->run(0.3);
    EXPECT_TRUE(item->bHovered);
    EXPECT_EQ(item->colorCurrent, item->colorDisabled);
    EXPECT_EQ(MenuTestWorld::pixelAt(-100.0f, 0.0f), UColor(MenuTestWorld::EDITBOX_COLOUR));
}

TEST_F(MenuItemTest, ACheckBoxFlipsOncePerPressAndNotWhileDisabled) {
    uint8_t flag = 0;
    MenuBool* box = add(new MenuBool(0.0f, 0.0f, 0.0f, "Box", "", &flag));
    EXPECT_EQ(box->pSkin->width, 50.0f);
    world->moveMouse(10.0f, 0.0f);
    world->mouseButton(true);
    world->run(0.2); // held for ten frames
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(box->wasClicked());
    EXPECT_FALSE(box->wasClicked()) << "reading clears the flag";
    world->mouseButton(false);
    world->frame();
    world->click(10.0f, 0.0f);
    EXPECT_EQ(flag, 0);
    EXPECT_TRUE(box->wasClicked());

    box->bDisabled = true;
    world->click(10.0f, 0.0f);
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(box->wasClicked());
}

TEST_F(MenuItemTest, AButtonClicksOnAPressOverItOrOnItsShortcut) {
    MenuButton* button = add(new MenuButton(0.0f, 0.0f, 0.0f, "Go", ""));
    EXPECT_EQ(button->captionLocation, 5);
    world->click(300.0f, 0.0f);
    EXPECT_FALSE(button->wasClicked());
    world->click(120.0f, 10.0f);
    EXPECT_TRUE(button->wasClicked());

    button->shortcut = 'g';
    world->moveAway();
    world->typeKey(SDLK_g, 'g');
    EXPECT_TRUE(button->wasClicked());
    button->bDisabled = true;
    world->typeKey(SDLK_g, 'g');
    EXPECT_FALSE(button->wasClicked());
}

TEST_F(MenuItemTest, AQuestionAsksFirstAndCountsOnlyYes) {
    MenuButton* button = add(new MenuButton(0.0f, 0.0f, 0.0f, "Delete", ""));
    button->questionText = "Sure?"; // an empty title still asks
    world->click(0.0f, 0.0f);
    EXPECT_FALSE(button->wasClicked());
    ContextDialog* dialog = dynamic_cast<ContextDialog*>(world->global->contextManager->getTop());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->text, "Sure?");
    EXPECT_EQ(button->answer, -1);

    *dialog->pAnswer = 1; // No
    dialog->bDone = true;
    world->run(0.1);
    EXPECT_EQ(world->global->contextManager->getTop(), screen);
    EXPECT_FALSE(button->wasClicked());
    EXPECT_EQ(button->answer, 1);

    world->click(0.0f, 0.0f);
    dialog = dynamic_cast<ContextDialog*>(world->global->contextManager->getTop());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(button->answer, -1) << "a new question starts unanswered";
    *dialog->pAnswer = 0; // Yes
    dialog->bDone = true;
    world->run(0.1);
    EXPECT_TRUE(button->wasClicked());
    EXPECT_EQ(button->answer, -1);
}

// The program ends once the browser has started, not before.
TEST_F(MenuItemTest, TheURLButtonEndsTheProgramWithItsAddress) {
    StandInOpener opener(world->folder.root, 0);
    MenuButtonURL* button = add(new MenuButtonURL(0.0f, 0.0f, 0.0f, "Web", ""));
    button->url = "http://example.org/";
    world->click(0.0f, 0.0f);
    EXPECT_EQ(world->global->urlToOpen, "http://example.org/");
    EXPECT_TRUE(world->runUntil([&] { return world->global->contextManager->bQuit; }, 20.0));
    EXPECT_EQ(opener.opened(), "http://example.org/");
}

TEST_F(MenuItemTest, CaptionsStandBesideTheFrame) {
    MenuItem* left = add(new MenuItem(0.0f, 100.0f, 0.0f, "L", ""));
    MenuItem* above = add(new MenuItem(0.0f, -100.0f, 0.0f, "A", ""));
    above->captionLocation = 8;
    left->bDropShadow = above->bDropShadow = false;
    world->moveAway();
    world->frame();
    // A glyph is a white block 6 x 10; "L" ends 5 units left of the frame.
    EXPECT_EQ(MenuTestWorld::pixelAt(-128.0f - 5.0f - 3.0f, 100.0f), UColor(0, 160, 0, 255));
    EXPECT_EQ(MenuTestWorld::pixelAt(0.0f, -100.0f + 14.0f + 5.0f + 5.0f), UColor(0, 160, 0, 255));
}

TEST(MenuItemDeathTest, ACaptionBelowIsFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            MenuTestWorld world;
            ContextMenu* screen = new ContextMenu();
            world.global->contextManager->push(screen);
            MenuItem* item = new MenuItem(0.0f, 0.0f, 0.0f, "x", "");
            item->captionLocation = 2;
            screen->addChild(item);
            world.frame();
            world.frame();
        },
        "Invalid caption location.\n Function: render\\(\\)\n File: project_menu/src/MenuItem");
}

} // namespace
