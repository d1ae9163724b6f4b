// Themed GUI items and their themes: styles and frames, the metrics each
// styling copies, the hover fade, the paused and focused looks, caption places
// and cutting, and the fatal cases.
#include "screens/ContextMenu.h"
#include "app/ContextManager.h"
#include "input/EventManager.h"
#include "FontQuad.h"
#include "widgets/GUIitem.h"
#include "widgets/GUIthemeMinimal.h"
#include "widgets/GUIthemeStandard.h"
#include "app/Loader.h"
#include "MenuTestWorld.h"
#include "render/Quad.h"
#include "core/Plim.h"
#include "core/ResourceManager.h"
#include "StretchSkin.h"
#include "TestImages.h"
#include "render/Texture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

const char* const FRAME_SETS[] = {
    "gui-invisible", "gui-minimal-generic", "gui-standard-generic", "gui-standard-thickframe",
    "gui-standard-thinframe", "gui-standard-groove", "gui-standard-panel-bevelinner", "gui-standard-editbox",
    "gui-standard-button", "gui-standard-button-nogroove", "gui-standard-tab", "gui-standard-tab-selected"};

// Disabled, normal and focused frames in three colours.
const uint32_t DISABLED = 0xff202020, NORMAL = 0xff00a000, FOCUSED = 0xffa00000;

void registerFrameSets() {
    int n = 0;
    for (const char* name : FRAME_SETS) {
        std::string file = "frames" + std::to_string(n++) + ".tga";
        TestImages::writeGlyphStrip(file, {{32, 24, DISABLED}, {32, 24, NORMAL}, {32, 24, FOCUSED}});
        Loader::registerFrames(name, new Texture(file.c_str(), 0));
    }
}

class GUIitemTest : public MenuScreenTest {
protected:
    void SetUp() override {
        MenuScreenTest::SetUp();
        registerFrameSets();
        world->createSharedContexts();
        standard = world->global->themeStandard;
        minimal = world->global->themeMinimal;
    }
    GUIitem* add(GUItheme* theme, int style, int width, int height) {
        GUIitem* item = new GUIitem(theme, style);
        item->setSize(width, height);
        return MenuScreenTest::add(item);
    }
    Texture* frames(const char* name) { return static_cast<Texture*>(PLIM->resourceManager->find(name, true)); }

    GUIthemeStandard* standard = nullptr;
    GUIthemeMinimal* minimal = nullptr;
};

TEST_F(GUIitemTest, EachStyleCutsItsFramesFromItsTextureSet) {
    GUIitem* item = add(standard, 4, 100, 20);
    EXPECT_EQ(static_cast<Skin*>(item->pSkinNormal->sourceSkin), frames("gui-standard-thinframe")->skins[1]);
    EXPECT_EQ(static_cast<Skin*>(item->pSkinDisabled->sourceSkin), frames("gui-standard-thinframe")->skins[0]);
    EXPECT_EQ(static_cast<Skin*>(item->pSkinFocused->sourceSkin), frames("gui-standard-thinframe")->skins[2]);
    EXPECT_EQ(item->pSkinNormal->width, 102.0f) << "width + 2 x margin";
    EXPECT_EQ(item->pSkinNormal->height, 22.0f);

    GUIitem* generic = add(minimal, 9, 100, 20);
    EXPECT_EQ(static_cast<Skin*>(generic->pSkinNormal->sourceSkin), frames("gui-minimal-generic")->skins[1]);
    GUIitem* invisible = add(minimal, 1, 10, 10);
    EXPECT_EQ(static_cast<Skin*>(invisible->pSkinNormal->sourceSkin), frames("gui-invisible")->skins[1]);
}

TEST_F(GUIitemTest, StyleZeroLeavesTheFramesAndBordersAsTheyWere) {
    GUIitem* bare = add(standard, 0, 50, 10);
    EXPECT_EQ(bare->pSkinNormal, nullptr);
    EXPECT_EQ(bare->pSkinFocused, nullptr);
    world->frame(); // an item without frames draws no frame

    GUIitem* item = add(standard, 5, 50, 10);
    StretchSkin* before = item->pSkinNormal;
    item->setStyle(0);
    EXPECT_EQ(item->pSkinNormal, before);
    EXPECT_EQ(static_cast<Skin*>(item->pSkinNormal->sourceSkin), frames("gui-standard-groove")->skins[1]);
    EXPECT_EQ(item->borderLeft, 5);
}

TEST_F(GUIitemTest, TabStylesWidenTheSidesOnlyInTheStandardTheme) {
    GUIitem* tab = add(standard, 10, 60, 20);
    EXPECT_EQ(tab->borderLeft, 10);
    EXPECT_EQ(tab->borderTop, 5);
    EXPECT_EQ(tab->borderBottom, 5);
    EXPECT_EQ(tab->borderRight, 10);
    EXPECT_EQ(tab->pSkinNormal->borderLeft, 10);
    EXPECT_EQ(tab->pSkinNormal->borderRight, 10);
    EXPECT_EQ(tab->pSkinNormal->borderTop, 5);

    GUIitem* plain = add(minimal, 11, 60, 20);
    EXPECT_EQ(plain->borderLeft, 3);
    EXPECT_EQ(plain->pSkinNormal->borderRight, 3);
    EXPECT_EQ(static_cast<Skin*>(plain->pSkinNormal->sourceSkin), frames("gui-minimal-generic")->skins[1]);
}

TEST_F(GUIitemTest, TheThickFrameRaisesTheThemesMarginForLaterStylings) {
    GUIitem* first = add(standard, 2, 40, 10);
    GUIitem* second = add(standard, 3, 40, 10);
    GUIitem* third = add(standard, 2, 40, 10);
    EXPECT_EQ(first->margin, 1);
    EXPECT_EQ(second->margin, 1);
    EXPECT_EQ(third->margin, 2);
    EXPECT_EQ(third->pSkinNormal->width, 44.0f);
    first->setStyle(2);
    EXPECT_EQ(first->margin, 2);
    EXPECT_EQ(standard->margin, 2);
}

TEST_F(GUIitemTest, AZeroHeightTakesTheImageHeightOnlyWithoutAMargin) {
    GUIitem* minimalItem = add(minimal, 2, 40, 0);
    EXPECT_EQ(minimalItem->pSkinNormal->height, 24.0f);
    GUIitem* standardItem = add(standard, 2, 40, 0);
    EXPECT_EQ(standardItem->pSkinNormal->height, 2.0f);
}

TEST_F(GUIitemTest, HoverFadesTheCaptionColourHalfwayInAnEighthOfASecond) {
    GUIitem* item = add(standard, 2, 100, 20);
    item->setTexts("Caption", "Help", "Why not");
    EXPECT_EQ(item->colorCurrent, UColor(255, 255, 255, 255));
    world->moveAway();
    world->frame();
    EXPECT_EQ(item->colorCurrent, item->colorNormal);

    // The event manager picks with the mouse point of the frame before.
    world->moveMouse(10.0f, 5.0f);
    world->frame(0.0);
    world->run(0.125, 0.025);
    EXPECT_TRUE(item->bHovered);
    EXPECT_NEAR(item->highlight, 0.5, 1e-6);
    EXPECT_EQ(item->colorCurrent, UColor(160, 130, 64, 255));

    world->moveAway();
    world->frame(0.0);
    world->run(0.125, 0.025);
    EXPECT_EQ(item->highlight, 0.0);
}

TEST_F(GUIitemTest, APausedItemShowsTheDisabledLookAtOnce) {
    GUIitem* item = add(standard, 2, 100, 20);
    item->setTexts("Caption", "", "");
    world->moveAway();
    world->frame();
    EXPECT_EQ(item->pSkin, item->pSkinNormal);
    EXPECT_EQ(MenuTestWorld::pixelAt(-45.0f, 0.0f), UColor(NORMAL));

    screen->bPaused = true;
    world->frame();
    EXPECT_EQ(item->colorCurrent, item->colorDisabled);
    EXPECT_EQ(item->pSkin, item->pSkinDisabled);
    EXPECT_EQ(MenuTestWorld::pixelAt(-45.0f, 0.0f), UColor(DISABLED));
    screen->bPaused = false;
    world->frame();
    EXPECT_EQ(item->colorCurrent, item->colorNormal);
}

TEST_F(GUIitemTest, TheFocusedFrameShowsOnlyForTheFocusObjectItself) {
    GUIitem* parent = add(standard, 2, 200, 60);
    GUIitem* child = new GUIitem(standard, 2);
    child->setSize(20, 10);
    parent->addChild(child);
    PLIM->eventManager->setFocus(child);
    world->frame();
    EXPECT_EQ(child->pSkin, child->pSkinFocused);
    EXPECT_EQ(parent->pSkin, parent->pSkinNormal);
    PLIM->eventManager->setFocus(parent);
    world->frame();
    EXPECT_EQ(parent->pSkin, parent->pSkinFocused);
}

TEST_F(GUIitemTest, ChildrenMoveWithTheItem) {
    GUIitem* parent = add(standard, 2, 200, 60);
    GUIitem* child = new GUIitem(standard, 2);
    child->position = V3(30.0f, 0.0f, 0.0f);
    parent->addChild(child);
    parent->position = V3(100.0f, 50.0f, 0.0f);
    parent->updateVisuals();
    const V3 centre = child->local2world(V3(0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(centre.x, 130.0f);
    EXPECT_FLOAT_EQ(centre.y, 50.0f);
}

TEST_F(GUIitemTest, InsideCaptionsAreCutToTheWidthAndOutsideOnesAreNot) {
    world->global->fontSmall->bUseCache = false;
    GUIitem* inside = add(standard, 2, 40, 20);
    inside->captionLocation = -4;
    inside->position = V3(0.0f, 100.0f, 0.0f);
    inside->updateVisuals();
    inside->setTexts("ABCDEFGHIJ", "", ""); // 60 units in the 6-unit block font
    GUIitem* outside = add(standard, 2, 40, 20);
    outside->captionLocation = 6;
    outside->position = V3(0.0f, -100.0f, 0.0f);
    outside->updateVisuals();
    outside->setTexts("ABCDEFGHIJ", "", "");
    world->moveAway();
    world->frame();
    // Inside: starts 3 inside the 42-wide frame's left edge (x -18); the 34
    // wide limit leaves two letters and "...": 30 units, to x 12.
    EXPECT_NE(MenuTestWorld::pixelAt(10.0f, 100.0f), UColor(NORMAL));
    EXPECT_EQ(MenuTestWorld::pixelAt(14.0f, 100.0f), UColor(NORMAL));
    // Outside: right of the frame (x 21 + 3), all 60 units.
    EXPECT_NE(MenuTestWorld::pixelAt(80.0f, -100.0f), UColor(0, 0, 0, 255));
}

TEST_F(GUIitemTest, AHiddenItemDrawsNothingButIsTicked) {
    GUIitem* item = add(standard, 2, 100, 20);
    item->setTexts("Caption", "", "");
    item->bHidden = true;
    world->moveAway();
    world->frame();
    EXPECT_EQ(MenuTestWorld::pixelAt(-45.0f, 0.0f), UColor(0, 0, 0, 255));
    EXPECT_EQ(item->colorCurrent, item->colorNormal) << "ticked";
}

TEST(GUIitemDeathTest, FatalCases) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A world with every frame set and both themes, then the case.
    auto inWorld = [](const std::function<void(MenuTestWorld&)>& then) {
        EngineTestFolder::routeStdoutToStderr();
        MenuTestWorld world;
        registerFrameSets();
        world.createSharedContexts();
        then(world);
    };
    auto withItem = [&](int location, const char* caption) {
        inWorld([&](MenuTestWorld& world) {
            ContextMenu* screen = new ContextMenu();
            world.global->contextManager->push(screen);
            GUIitem* item = new GUIitem(world.global->themeStandard, 2);
            item->captionLocation = location;
            item->setTexts(caption, "", "");
            screen->addChild(item);
            world.frame();
        });
    };
    EXPECT_DEATH(withItem(3, "text"),
                 "Invalid caption location.\n Function: render\\(\\)\n File: project_menu/src/GUIitem");
    EXPECT_EXIT(
        {
            withItem(3, ""); // an empty caption is not placed
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    for (int style : {12, -1}) {
        EXPECT_DEATH(inWorld([&](MenuTestWorld& world) { GUIitem item(world.global->themeStandard, style); }),
                     "Unhandled style\n Function: setStyle\\(\\)\n File: project_menu/src/GUIthemeStandard\n Line: 65");
        EXPECT_DEATH(inWorld([&](MenuTestWorld& world) { GUIitem item(world.global->themeMinimal, style); }),
                     "Unhandled style\n Function: setStyle\\(\\)\n File: project_menu/src/GUIthemeMinimal\n Line: 45");
    }
    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            MenuTestWorld world;
            TestImages::writeGlyphStrip("two.tga", {{8, 8, NORMAL}, {8, 8, NORMAL}});
            Loader::registerFrames("gui-standard-generic", new Texture("two.tga", 0));
            world.createSharedContexts();
            GUIitem item(world.global->themeStandard, 2);
        },
        "Frame texture 'two.tga' has 2 sub-images; a GUI item needs 3.");
}

} // namespace
