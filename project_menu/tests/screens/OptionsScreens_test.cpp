// The options hub and its pages on generated pictures: layouts, what each
// click edits in the saved block, and what each page hands to the engine and
// when (frame period, presentation restart, master volumes, mixing rate,
// mouse speed).
#include "ChildrenOf.h"
#include "screens/ContextDialog.h"
#include "screens/ContextHelp.h"
#include "app/ContextManager.h"
#include "screens/ContextNetworkWizard1.h"
#include "screens/ContextOptions.h"
#include "screens/ContextOptionsControls.h"
#include "screens/ContextOptionsControls2.h"
#include "screens/ContextOptionsGameplay.h"
#include "screens/ContextOptionsGraphics.h"
#include "screens/ContextOptionsSound.h"
#include "screens/ContextPre.h"
#include "language/Language.h"
#include "audio/Mixer.h"
#include "widgets/MenuBool.h"
#include "widgets/MenuButton.h"
#include "widgets/MenuButtonQuit.h"
#include "widgets/MenuEnum.h"
#include "widgets/MenuKey.h"
#include "MenuTestWorld.h"
#include "widgets/MenuVolume.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "RenderableText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

// Bytes handed out and not given back; glibc's figures stand still under the sanitizer.
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(); // g++ ships no header for it
long heapInUse() { return long(__sanitizer_get_current_allocated_bytes()); }
#else
long heapInUse() { return long(mallinfo2().uordblks + mallinfo2().hblkhd); }
#endif

// A stored int32_t of the block, by its offset in the ".hst" layout.
int32_t storedInt(const SaveData& data, size_t offset) {
    int32_t v;
    memcpy(&v, reinterpret_cast<const uint8_t*>(&data) + offset, 4);
    return v;
}

class OptionsScreensTest : public ::testing::Test {
protected:
    void SetUp() override { start(""); }
    void TearDown() override {
        MenuTestWorld::closeAudio();
        delete world;
    }
    void start(const std::string& settings) {
        world = new MenuTestWorld(settings);
        world->createSharedContexts();
        world->moveAway();
        world->frame();
        // As the loader does before it first applies the block.
        data().bFullScreenOption = PLIM->graphics->bFullScreen ? 1 : 0;
    }
    Context* top() { return world->global->contextManager->getTop(); }
    void push(Context* screen) {
        world->global->contextManager->push(screen);
        world->frame(0.0);
    }
    void escape() { world->typeKey(SDLK_ESCAPE, 27); }
    SaveData& data() { return world->global->saveData; }

    MenuTestWorld* world = nullptr;
};

TEST_F(OptionsScreensTest, TheHubOpensEachPageAnyNumberOfTimesAndEveryPageSharesTheFrame) {
    ContextOptions* hub = new ContextOptions();
    push(hub);
    const std::vector<MenuButton*> column = {hub->gameplayButton, hub->controlsButton, hub->graphicsButton,
                                             hub->soundButton, hub->networkWizardButton};
    const char* captions[] = {"Gameplay", "Controls", "Graphics", "Sound", "Network Wizard"};
    for (size_t i = 0; i < column.size(); i++) {
        EXPECT_EQ(column[i]->position, V3(0.0f, 80.0f - 40.0f * float(i), 0.0f));
        EXPECT_EQ(column[i]->caption, captions[i]);
    }
    EXPECT_EQ(hub->languageButton, nullptr) << "single-language mode";
    EXPECT_EQ(hub->helpButton->position, V3(0.0f, -190.0f, 0.0f));
    EXPECT_FALSE(hub->helpButton->bDisabled);
    EXPECT_FALSE(hub->networkWizardButton->bDisabled);
    for (PlimBase* child : childrenOf<MenuButton>(hub))
        EXPECT_NE(static_cast<MenuButton*>(child)->position.y, -120.0f);

    struct Page {
        float y;
        const char* title;
    } pages[] = {{80.0f, "Gameplay"}, {40.0f, "Controls"}, {0.0f, "Graphics"}, {-40.0f, "Sound"}};
    for (const Page& page : pages) {
        world->click(0.0f, page.y);
        ContextOptionsPage* opened = dynamic_cast<ContextOptionsPage*>(top());
        ASSERT_NE(opened, nullptr) << page.title;
        EXPECT_NE(opened, hub);
        EXPECT_TRUE(opened->bDeleteWhenDone);
        EXPECT_EQ(opened->preContext, static_cast<Context*>(world->global->contextPre));
        EXPECT_EQ(opened->title->text, page.title);
        EXPECT_EQ(opened->title->position, V3(0.0f, 190.0f, 0.0f));
        EXPECT_EQ(opened->backButton->position, V3(-220.0f, -190.0f, 0.0f));
        EXPECT_EQ(opened->backButton->caption, "\t  Back");
        EXPECT_EQ(static_cast<PlimBase*>(opened->lastChild), static_cast<PlimBase*>(opened->backButton));
        if (page.y > 0.0f)
            world->click(-220.0f, -190.0f); // Back
        else
            escape();
        EXPECT_EQ(top(), hub) << page.title;
    }
    // Past the first visits a page gives back what it took, the driver's share too.
    long settled = 0;
    for (int round = 0; round < 12; round++) {
        if (round == 2) settled = heapInUse();
        for (const Page& page : pages) {
            world->click(0.0f, page.y);
            escape();
        }
    }
    EXPECT_LT(heapInUse() - settled, 1L << 20) << "bytes kept by 40 more visits";
    world->click(0.0f, -80.0f);
    EXPECT_NE(dynamic_cast<ContextNetworkWizard1*>(top()), nullptr);
    escape();
    EXPECT_EQ(top(), hub);
    world->click(0.0f, -190.0f);
    EXPECT_NE(dynamic_cast<ContextHelp*>(top()), nullptr);
    escape();
    EXPECT_EQ(top(), hub);
    escape();
    EXPECT_EQ(top(), nullptr) << "Escape closes the hub too";
}

TEST_F(OptionsScreensTest, LanguageAsksForARestartAndTheChoiceIsGoneWhicheverWayTheDialogCloses) {
    delete world;
    start("[Plim]\ndefaultLanguage=0\n");
    PLIM->bMultilanguage = true;
    PLIM->defaultLanguage = 0;
    ContextOptions* hub = new ContextOptions();
    push(hub);
    ASSERT_NE(hub->languageButton, nullptr);
    EXPECT_EQ(hub->languageButton->position, V3(0.0f, -120.0f, 0.0f));
    EXPECT_EQ(hub->languageButton->caption, "Language");
    world->click(0.0f, -120.0f);
    ContextDialog* dialog = dynamic_cast<ContextDialog*>(top());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->title, "Language");
    EXPECT_EQ(dialog->text, "Please restart the game|and select your new language.");
    EXPECT_EQ(dialog->pButton2, nullptr);
    EXPECT_EQ(PLIM->defaultLanguage, -1);
    escape();
    EXPECT_EQ(top(), hub);
    EXPECT_EQ(PLIM->defaultLanguage, -1);
}

// Leaving the options writes the saved block at once, so a write that fails is
// told while the player is there, over the screen beneath.
TEST_F(OptionsScreensTest, LeavingTheOptionsSavesThemAndAFailureIsToldAtOnce) {
    const std::string folder = world->folder.userFolder(), away = folder.substr(0, folder.size() - 1);
    ContextMenu* beneath = new ContextMenu();
    beneath->bDeleteWhenDone = true;
    push(beneath);
    push(new ContextOptions());
    ASSERT_EQ(0, rename(away.c_str(), (away + ".away").c_str()));
    EngineTestFolder::writeFile(away, "a file where the user folder was");
    escape();
    world->frame();
    ContextDialog* told = dynamic_cast<ContextDialog*>(top());
    ASSERT_NE(told, nullptr);
    EXPECT_EQ(told->text, UString("Could not save '" + folder + "Corvana2demo.hst': Not a directory. Your latest "
                                  "changes are not kept."));
    unlink(away.c_str());
    ASSERT_EQ(0, rename((away + ".away").c_str(), away.c_str()));
}

TEST_F(OptionsScreensTest, GameplaySwitchesFlipTheirBytes) {
    ContextOptionsGameplay* page = new ContextOptionsGameplay();
    push(page);
    std::vector<MenuBool*> switches = childrenOf<MenuBool>(page);
    ASSERT_EQ(switches.size(), 2u);
    EXPECT_EQ(switches[0]->description, "Show game instructions and tips as you play");
    EXPECT_EQ(switches[1]->caption, "Allow cheats");
    EXPECT_EQ(data().bInGameHelp, 1);
    EXPECT_EQ(data().bAllowCheats, 0);
    world->click(0.0f, 20.0f);
    world->click(0.0f, -20.0f);
    EXPECT_EQ(data().bInGameHelp, 0);
    EXPECT_EQ(data().bAllowCheats, 1);
    world->click(0.0f, 20.0f);
    EXPECT_EQ(data().bInGameHelp, 1) << "twice is as before";
}

TEST_F(OptionsScreensTest, KeysMoveBetweenPlayersAndTheMouseSpeedWaitsForPageOne) {
    ContextOptionsControls* page1 = new ContextOptionsControls();
    push(page1);
    std::vector<MenuKey*> keys = childrenOf<MenuKey>(page1);
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[0]->key, &data().keys[2][0]) << "increase power on top";
    EXPECT_EQ(keys[4]->key, &data().keys[4][0]) << "fire at the bottom";
    std::vector<MenuItem*> items = childrenOf<MenuItem>(page1);
    MenuItem* menuKey = nullptr;
    for (MenuItem* item : items)
        if (item->caption == "In-game menu") menuKey = item;
    ASSERT_NE(menuKey, nullptr);
    EXPECT_TRUE(menuKey->bDisabled);
    EXPECT_EQ(menuKey->disabledText, "Bring up menu while playing (can't be changed)");
    std::vector<RenderableText*> labels = childrenOf<RenderableText>(page1);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[1]->text, "ESC");
    EXPECT_EQ(page1->player2Button->position, V3(174.0f, -190.0f, 0.0f));

    // Sensitivity 4, then player 2's page over page 1.
    const double speed = PLIM->input->mouseSpeed;
    for (int i = 0; i < 3; i++) world->click(96.0f - 24.0f, -80.0f);
    EXPECT_EQ(data().mouseSensitivity, 4);
    world->click(174.0f, -190.0f);
    ContextOptionsControls2* page2 = dynamic_cast<ContextOptionsControls2*>(top());
    ASSERT_NE(page2, nullptr);
    EXPECT_EQ(page2->title->text, "Player 2 Controls");
    std::vector<MenuKey*> keys2 = childrenOf<MenuKey>(page2);
    ASSERT_EQ(keys2.size(), 5u);
    EXPECT_EQ(keys2[4]->key, &data().keys[4][1]);
    EXPECT_TRUE(childrenOf<MenuEnum>(page2).empty());
    EXPECT_EQ(PLIM->input->mouseSpeed, speed) << "not while page 2 is open";

    // Player 2's fire to Space, player 1's: player 1 is left unbound.
    world->moveMouse(0.0f, -40.0f);
    world->typeKey(SDLK_SPACE, ' ');
    EXPECT_EQ(storedInt(data(), 2692), 0);
    EXPECT_EQ(storedInt(data(), 2696), 57);
    // Escape over a key item closes the page and binds nothing.
    escape();
    EXPECT_EQ(top(), page1);
    EXPECT_EQ(data().keys[4][1], 57);
    EXPECT_EQ(PLIM->input->mouseSpeed, speed);

    // Player 1's fire to F (33); the same key again keeps it.
    world->moveMouse(0.0f, -40.0f);
    world->typeKey(SDLK_f, 'f');
    world->typeKey(SDLK_f, 'f');
    EXPECT_EQ(data().keys[4][0], 33);
    escape();
    EXPECT_EQ(top(), nullptr);
    EXPECT_EQ(data().keys[4][0], 33);
    EXPECT_EQ(data().keys[4][1], 57);
    EXPECT_EQ(PLIM->input->mouseSpeed, 1.5) << "applied as page 1 closed";
}

TEST_F(OptionsScreensTest, GraphicsAppliesOnCloseAndRestartsOnlyForANewSize) {
    data().videoMode = 0; // below the lowest mode under the debug lock
    ContextOptionsGraphics* page = new ContextOptionsGraphics();
    push(page);
    std::vector<MenuEnum*> enums = childrenOf<MenuEnum>(page);
    ASSERT_EQ(enums.size(), 2u);
    EXPECT_EQ(enums[0]->captionLocation, int(MenuItem::CAPTION_ABOVE));
    EXPECT_EQ(enums[1]->minimum, 1);
    std::vector<MenuBool*> switches = childrenOf<MenuBool>(page);
    ASSERT_EQ(switches.size(), 4u);
    EXPECT_EQ(switches[3]->caption, "Show fps");

    // The mode reads its saved value until clicked, then stays at 640x480.
    EXPECT_EQ(data().videoMode, 0);
    const float modeLeft = 224.0f - 80.0f + 24.0f, modeRight = 224.0f + 80.0f - 24.0f;
    world->click(modeLeft, 80.0f);
    EXPECT_EQ(data().videoMode, 1);

    // fps: 100 down to 25 and up to 125, where the click still counts.
    const float fpsLeft = 224.0f - 64.0f + 24.0f, fpsRight = 224.0f + 64.0f - 24.0f;
    for (int i = 0; i < 16; i++) world->click(fpsLeft, 40.0f);
    EXPECT_EQ(data().maxFps, 25);
    for (int i = 0; i < 20; i++) world->click(fpsRight, 40.0f);
    EXPECT_EQ(data().maxFps, 125);
    MenuItem* fps = childrenOf<MenuInt>(page).at(2);
    fps->bClicked = false;
    world->click(fpsRight, 40.0f);
    EXPECT_EQ(data().maxFps, 125);
    EXPECT_TRUE(fps->bClicked) << "the top still clicks";
    for (int i = 0; i < 13; i++) world->click(fpsLeft, 40.0f);
    EXPECT_EQ(data().maxFps, 60);

    // Show fps at once; nothing else reaches the engine before closing.
    // The counter's digits (solid test glyphs) in the top-right corner.
    EXPECT_NE(MenuTestWorld::pixelAt(315.0f, 233.0f), UColor(255, 255, 255, 255));
    world->click(185.0f, -120.0f);
    EXPECT_EQ(data().bShowFps, 1);
    EXPECT_EQ(MenuTestWorld::pixelAt(315.0f, 233.0f), UColor(255, 255, 255, 255));
    EXPECT_NE(PLIM->frameTimer.period, 1.0 / 60.0);
    world->moveAway();
    escape();
    EXPECT_DOUBLE_EQ(PLIM->frameTimer.period, 1.0 / 60.0);
    EXPECT_FALSE(PLIM->bRestartPresentation) << "same size, same window";

    // 800x600 asks for a restart.
    push(new ContextOptionsGraphics());
    world->click(modeRight, 80.0f);
    EXPECT_EQ(data().videoMode, 2);
    world->moveAway();
    escape();
    EXPECT_TRUE(PLIM->bRestartPresentation);
}

TEST_F(OptionsScreensTest, VolumesApplyAtEachClickAndTheRateWaitsForTheNextStart) {
    PLIM->audio = new PlimAudio();
    ASSERT_NE(PLIM->audio->mixer, nullptr);
    ContextOptionsSound* page = new ContextOptionsSound();
    push(page);
    std::vector<MenuVolume*> volumes = childrenOf<MenuVolume>(page);
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[1]->caption, "Music volume");

    const float left = 64.0f - 128.0f + 24.0f, right = 64.0f + 128.0f - 24.0f;
    for (int i = 0; i < 24; i++) world->click(left, 40.0f);
    EXPECT_EQ(data().soundVolume, 0);
    EXPECT_EQ(PLIM->audio->mixer->effectsVolume.load(), 0.0f) << "at once";
    EXPECT_FALSE(PLIM->bRestartPresentation);
    for (int i = 0; i < 3; i++) world->click(left, 0.0f);
    EXPECT_EQ(data().musicVolume, 12);
    EXPECT_EQ(PLIM->audio->mixer->musicVolume.load(), 0.5f);

    world->click(right, 80.0f);
    EXPECT_EQ(data().audioQuality, 2);
    EXPECT_EQ(PLIM->audio->frequency, 22050) << "not before the page closes";
    world->click(-39.0f, -40.0f);
    EXPECT_EQ(data().bInGameMusic, 0);
    world->moveAway();
    escape();
    EXPECT_EQ(PLIM->audio->frequency, 44100) << "stored for the next start";
}

} // namespace
