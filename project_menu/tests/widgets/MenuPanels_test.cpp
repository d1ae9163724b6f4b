// The passive menu objects: the group frame, the current player's greeting
// with its click area and the forced first profile, and the message viewer's
// line limit, wrapping and fade.
#include "widgets/MenuColors.h"
#include "app/ContextManager.h"
#include "screens/ContextMenu.h"
#include "screens/ContextNewUser.h"
#include "screens/ContextUserManager.h"
#include "widgets/MenuGroup.h"
#include "MenuTestWorld.h"
#include "RenderableText.h"
#include "widgets/MenuUserDisplay.h"
#include "widgets/MessageViewer.h"
#include "core/Plim.h"
#include "RenderableText.h"
#include "render/Skin.h"

#include <gtest/gtest.h>

namespace {

class MenuPanelsTest : public MenuScreenTest {
protected:
    Context* top() { return world->global->contextManager->getTop(); }
};

TEST_F(MenuPanelsTest, AGroupIsAFrameOfItsSizeWithItsTitleNearTheTop) {
    MenuGroup* group = new MenuGroup(0.0f, 0.0f, 0.0f, "Title", 300.0f, 200.0f);
    screen->addChild(group);
    world->frame();
    EXPECT_EQ(group->pSkin->width, 300.0f);
    EXPECT_EQ(group->pSkin->height, 200.0f);
    EXPECT_EQ(MenuTestWorld::pixelAt(-140.0f, 0.0f), UColor(MenuTestWorld::SQUARE_COLOUR));
    EXPECT_EQ(MenuTestWorld::pixelAt(-160.0f, 0.0f), UColor(0, 0, 0, 255));
    // Title centred 30 below the top edge, translucent black over the frame.
    EXPECT_EQ(MenuTestWorld::pixelAt(0.0f, 70.0f), UColor(12, 12, 12, 255));
}

TEST_F(MenuPanelsTest, WithoutAProfileTheGreetingOpensTheNameScreen) {
    MenuUserDisplay* display = new MenuUserDisplay();
    screen->addChild(display);
    world->frame();
    EXPECT_NE(dynamic_cast<ContextNewUser*>(top()), nullptr);
    EXPECT_EQ(world->global->saveData.bProfileMissing, 1);

    world->global->profiles.addProfile("Ann");
    top()->bDone = true;
    world->frame();
    world->frame();
    EXPECT_EQ(top(), screen);
    EXPECT_EQ(world->global->saveData.bProfileMissing, 0);
    EXPECT_EQ(display->nameLine->text, "Hello, Ann!");
    EXPECT_EQ(display->nameLine->position.y, 70.0f);
    EXPECT_EQ(display->hintLine->text, "Click here to change players.");
    EXPECT_EQ(display->hintLine->position.y, 43.0f);
}

TEST_F(MenuPanelsTest, ClickingTheGreetingOpensTheProfileList) {
    world->global->profiles.addProfile("Ann");
    MenuUserDisplay* display = new MenuUserDisplay();
    screen->addChild(display);
    world->frame();
    EXPECT_EQ(display->nameLine->color, MenuColors::plateText());

    // The area is 200 wide and 36 high, down from the name line's y (70),
    // and the hint's plate below it.
    const float belowHint = display->hintLine->plateRect().bottom - 0.5f;
    ASSERT_LT(belowHint, 34.0f);
    for (const V3& outside : {V3(100.0f, 60.0f, 0.0f), V3(0.0f, belowHint, 0.0f), V3(0.0f, 70.5f, 0.0f)}) {
        world->click(outside.x, outside.y);
        EXPECT_EQ(top(), screen) << outside.x << ", " << outside.y;
    }
    world->moveMouse(-100.0f, 34.5f);
    world->frame();
    EXPECT_TRUE(display->bHovered);
    EXPECT_EQ(display->nameLine->color, UColor(0, 160, 0, 255));
    world->click(-100.0f, 70.0f);
    EXPECT_NE(dynamic_cast<ContextUserManager*>(top()), nullptr);
}

TEST_F(MenuPanelsTest, TheViewerKeepsItsLastTenLines) {
    MessageViewer* viewer = new MessageViewer();
    screen->addChild(viewer);
    EXPECT_EQ(viewer->wrapWidth, 630);
    EXPECT_EQ(viewer->lineStep, -float(MenuTestWorld::GLYPH_HEIGHT));
    for (int i = 1; i <= 11; i++) viewer->addMessage(UString::format("line %d", i));
    ASSERT_EQ(viewer->lines.size(), 10u);
    EXPECT_EQ(viewer->lines.front(), "line 2");
    EXPECT_EQ(viewer->lines.back(), "line 11");

    // 150 letters of 6 units wrap at 630 into two lines and push out two.
    std::string words;
    for (int i = 0; i < 30; i++) words += "abcd ";
    viewer->addMessage(words.c_str());
    EXPECT_EQ(viewer->lines.front(), "line 4");
    EXPECT_EQ(viewer->lines.size(), 10u);
}

TEST_F(MenuPanelsTest, TheLinesFadeDuringTheLastSecondOfTheFadeTime) {
    MessageViewer* viewer = new MessageViewer();
    viewer->fadeTime = 5.0;
    screen->addChild(viewer);
    viewer->addMessage("hello");
    world->run(3.98, 0.02);
    EXPECT_EQ(viewer->visibility, 1.0f);
    world->run(0.5, 0.02);
    EXPECT_GT(viewer->visibility, 0.0f);
    EXPECT_LT(viewer->visibility, 1.0f);
    world->run(0.6, 0.02);
    EXPECT_EQ(viewer->visibility, 0.0f);
    viewer->addMessage("again");
    world->frame();
    EXPECT_EQ(viewer->visibility, 1.0f);
}

TEST_F(MenuPanelsTest, OlderLinesAreDimmedAndABottomAnchorEndsAtY) {
    MessageViewer* viewer = new MessageViewer();
    viewer->bDimOlderLines = true;
    viewer->bBottomAnchored = true;
    viewer->y = -100.0f;
    screen->addChild(viewer);
    viewer->addMessage("old");
    viewer->addMessage("new");
    world->frame();
    // The newest line's top at y -100, the older one a line above it.
    EXPECT_EQ(MenuTestWorld::pixelAt(0.0f, -105.0f), UColor(255, 255, 255, 255));
    EXPECT_EQ(MenuTestWorld::pixelAt(0.0f, -95.0f), UColor(127, 127, 127, 255));
}

} // namespace
