// The shared backdrop: strip positions, the number of draws for a view, the
// shared camera for the field of view, the clear colour and what the main
// menu's layers add; and the language flag on its screen.
#include "widgets/Background.h"
#include "render/Camera.h"
#include "CameraBlender.h"
#include "screens/ContextLanguageSelect.h"
#include "app/ContextManager.h"
#include "screens/ContextMenu.h"
#include "screens/ContextPost.h"
#include "screens/ContextPre.h"
#include "widgets/LanguageFlag.h"
#include "MenuTestWorld.h"
#include "core/Plim.h"

#include <gtest/gtest.h>

namespace {

TEST(BackgroundStrips, StartAtTheMultipleOf1524AtOrBelowTheLeftEdge) {
    EXPECT_EQ(Background::firstStripX(-320.0f), -1524.0f);
    EXPECT_EQ(Background::firstStripX(0.0f), 0.0f);
    EXPECT_EQ(Background::firstStripX(1524.0f), 1524.0f);
    EXPECT_EQ(Background::firstStripX(1523.9f), 0.0f);
    EXPECT_EQ(Background::firstStripX(-1524.0f), -1524.0f);
    EXPECT_EQ(Background::firstStripX(-1524.5f), -3048.0f);
}

class BackdropTest : public ::testing::Test {
protected:
    void SetUp() override {
        world = new MenuTestWorld(settings());
        world->createSharedContexts();
    }
    void TearDown() override { delete world; }
    virtual std::string settings() const { return std::string(); }

    // Renderables drawn by one render of the shared backdrop.
    int drawsFor(Context* context) {
        PLIM->frameStats[STAT_RENDERABLES] = 0;
        context->render();
        return PLIM->frameStats[STAT_RENDERABLES];
    }

    MenuTestWorld* world = nullptr;
};

TEST_F(BackdropTest, TheSharedCameraPutsTheSeaLine24UnitsAboveTheBottom) {
    ContextPre* pre = world->global->contextPre;
    const V3 p = pre->getCameraBlender()->position;
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(p.y, 216.0f);
    EXPECT_EQ(p.z, -320.0f);
    pre->tick(0.0, 0.0);
    const Rect view = pre->camera->getVisibleRect(0.0f);
    EXPECT_FLOAT_EQ(view.left, -320.0f);
    EXPECT_FLOAT_EQ(view.right, 320.0f);
    EXPECT_FLOAT_EQ(view.bottom, -24.0f);
    EXPECT_FLOAT_EQ(view.top, 456.0f);
    EXPECT_EQ(pre->clearColour.toU32(), 0u);
    EXPECT_EQ(pre->getNumChildren(), 1u);
}

TEST_F(BackdropTest, OnlyStripsReachingIntoTheViewAreDrawn) {
    ContextPre* pre = world->global->contextPre;
    pre->tick(0.0, 0.0);
    EXPECT_EQ(drawsFor(pre), 8); // two strips of one sky and three sea tiles
    // A strip starting on the right edge is not drawn.
    pre->getCameraBlender()->setPosition(1204.0f, 216.0f, -320.0f, false); // view 884 .. 1524
    pre->tick(0.0, 0.0);
    EXPECT_FLOAT_EQ(pre->camera->getVisibleRect(0.0f).right, 1524.0f);
    EXPECT_EQ(drawsFor(pre), 4);
}

TEST_F(BackdropTest, TheFrameShowsSkyAboveTheSeaLineAndSeaBelowIt) {
    ContextMenu* menu = new ContextMenu();
    menu->preContext = world->global->contextPre;
    menu->postContext = world->global->contextPost;
    world->global->contextManager->push(menu);
    world->moveAway();
    world->frame();
    // The sea line lies 24 units above the bottom (y -216 on the menu's view),
    // with nothing laid over the pictures.
    const UColor sea(MenuTestWorld::SEA_COLOUR);
    const UColor sky(MenuTestWorld::SKY_COLOUR);
    EXPECT_TRUE(MenuTestWorld::near(MenuTestWorld::pixelAt(0.0f, -230.0f), sea));
    EXPECT_TRUE(MenuTestWorld::near(MenuTestWorld::pixelAt(100.0f, -150.0f), sky));
    EXPECT_TRUE(MenuTestWorld::near(MenuTestWorld::pixelAt(200.0f, 0.0f), sky));
    EXPECT_NE(sea, sky);
}

TEST_F(BackdropTest, WhereNoPictureLiesTheClearColourShows) {
    ContextPre* pre = world->global->contextPre;
    pre->getCameraBlender()->setPosition(0.0f, 3000.0f, -320.0f, false); // high above the sky
    pre->tick(0.0, 0.0);
    pre->render();
    EXPECT_TRUE(MenuTestWorld::near(MenuTestWorld::pixelAt(0.0f, 0.0f), UColor(16, 128, 208, 255)));
}

class WideBackdropTest : public BackdropTest {
protected:
    std::string settings() const override { return "[PlimGraphics]\nfovWidth=800\nfovHeight=600\n"; }
};

TEST_F(WideBackdropTest, ALargerFieldOfViewMovesTheSharedCamera) {
    const V3 p = world->global->contextPre->getCameraBlender()->position;
    EXPECT_EQ(p.y, 276.0f);
    EXPECT_EQ(p.z, -400.0f);
}

class LanguageFlagTest : public ::testing::Test {
protected:
    void SetUp() override {
        world = new MenuTestWorld();
        screen = new ContextLanguageSelect();
        world->global->contextManager->push(screen);
        world->moveAway();
        world->frame();
        flag = static_cast<LanguageFlag*>(static_cast<PlimBase*>(screen->firstChild));
        PLIM->defaultLanguage = -1;
    }
    void TearDown() override { delete world; }

    MenuTestWorld* world = nullptr;
    ContextLanguageSelect* screen = nullptr;
    LanguageFlag* flag = nullptr;
};

TEST_F(LanguageFlagTest, TheScreenIsDarkBlueAndEscapeLeavesItOpen) {
    EXPECT_EQ(MenuTestWorld::pixelAt(200.0f, 200.0f), UColor(0, 16, 48, 255));
    world->typeKey(SDLK_ESCAPE, 27);
    EXPECT_EQ(world->global->contextManager->getTop(), screen);
    EXPECT_TRUE(screen->bMousePointer);
}

TEST_F(LanguageFlagTest, TheNameShowsWhileTheMouseIsOverTheFlag) {
    EXPECT_FALSE(flag->bMouseOver);
    EXPECT_EQ(MenuTestWorld::pixelAt(67.0f, 0.0f), UColor(0, 16, 48, 255));
    world->moveMouse(10.0f, 5.0f);
    world->frame();
    EXPECT_TRUE(flag->bMouseOver);
    // "English" from 65 units right of the flag's centre, in white blocks.
    EXPECT_EQ(MenuTestWorld::pixelAt(67.0f, 0.0f), UColor(255, 255, 255, 255));
    world->moveMouse(100.0f, 100.0f);
    world->frame();
    EXPECT_FALSE(flag->bMouseOver);
    EXPECT_EQ(MenuTestWorld::pixelAt(67.0f, 0.0f), UColor(0, 16, 48, 255));
}

TEST_F(LanguageFlagTest, APressOutsideOrAButtonHeldWhenTheMouseArrivesDoesNotChoose) {
    world->click(100.0f, 100.0f);
    EXPECT_EQ(PLIM->defaultLanguage, -1);
    EXPECT_FALSE(screen->bDone);
    world->moveMouse(100.0f, 100.0f);
    world->mouseButton(true);
    world->frame();
    world->moveMouse(10.0f, 5.0f);
    world->frame();
    world->frame();
    EXPECT_EQ(PLIM->defaultLanguage, -1);
    world->mouseButton(false);
    world->frame();
}

TEST_F(LanguageFlagTest, APressOfAnyButtonOverTheFlagChoosesItsLanguageAndClosesTheScreen) {
    world->moveMouse(-10.0f, -5.0f);
    world->mouseButton(true, SDL_BUTTON_RIGHT);
    world->frame();
    EXPECT_EQ(PLIM->defaultLanguage, 0);
    EXPECT_TRUE(screen->bDone);
    world->mouseButton(false, SDL_BUTTON_RIGHT);
    world->frame();
    EXPECT_EQ(world->global->contextManager->getTop(), nullptr);
}

} // namespace
