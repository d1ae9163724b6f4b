// The game's generated data archive read back through the engine's own file
// manager, image decoder and readers: every picture the loader names decodes,
// its side file reads strictly and lists sub-images that lie inside it, in
// the numbers the game relies on; the fonts, sounds and the static settings file are there.
#include "BareEngine.h"
#include "EngineTestFolder.h"
#include "files/FileManager.h"
#include "core/Logger.h"
#include "render/MemoryImageFile.h"
#include "files/MemoryIniFile.h"
#include "render/SkinList.h"
#include "core/Plim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string ARCHIVE = std::string(PLIM_TEST_BINARY_DIR) + "/Corvana2demo.dat";
const std::string STATIC_FILE = std::string(PLIM_TEST_BINARY_DIR) + "/Corvana2demo.cfg.static";

struct Picture {
    const char* file;
    int minSkins;
    bool exact;
};

// Every texture file the loader and the start-up read, with the sub-images the
// game addresses by number.
const Picture PICTURES[] = {
    {"gfx/gui/game/progressbar.tga", 2, false}, {"gfx/gui/game/mousepointer.tga", 1, false},
    {"gfx/system/zemtrovia.tga", 1, false},     {"gfx/system/languageflags.tga", 1, false},
    {"gfx/font/font-tiny.tga", 94, false},      {"gfx/font/alphabet-myriad.tga", 94, false},
    {"gfx/font/font-medium.tga", 256, true},    {"gfx/font/font-large-1.tga", 33, false},
    {"gfx/font/font-large-2.tga", 1, false},    {"gfx/font/alphabet-hud.tga", 14, false},
    {"gfx/system/autoconfigure.tga", 1, false}, {"gfx/gui/game/editbox.tga", 2, false},
    {"gfx/gui/game/button.tga", 2, false},      {"gfx/gui/game/square.tga", 1, false},
    {"gfx/logo_0_0.tga", 1, false},             {"gfx/logo_1_0.tga", 1, false},
    {"gfx/logo_0_1.tga", 1, false},             {"gfx/logo_1_1.tga", 1, false},
    {"gfx/sky-colormatched.tga", 1, false},     {"gfx/sea_0_0.tga", 2, false},
    {"gfx/sea_1_0.tga", 1, false},              {"gfx/island.tga", 2, true},
    {"gfx/ovalbuttons.tga", 6, false},          {"gfx/palm.tga", 1, false},
    {"gfx/3ds_explosion.tga", 1, false},        {"gfx/3ds_smoke.tga", 1, false},
    {"gfx/propeller.tga", 98, true},            {"gfx/biplane.tga", 49, true},
    {"gfx/biplane-markings.tga", 49, true},     {"gfx/p35.tga", 49, true},
    {"gfx/p35-markings.tga", 49, true},         {"gfx/cannon.tga", 3, false},
    {"gfx/projectiles.tga", 12, false},         {"gfx/splash.tga", 1, false},
    {"gfx/circularsplash.tga", 1, false},       {"gfx/propelledBomb.tga", 24, false},
    {"gfx/hotairballoon.tga", 19, false},       {"gfx/torpedo.tga", 2, false},
    {"gfx/atombomb.tga", 1, false},             {"gfx/hud-energybar.tga", 2, false},
    {"gfx/hud-bonusicons.tga", 6, false},       {"gfx/balloons.tga", 7, false},
    {"gfx/flare-small.tga", 1, false},          {"gfx/intellimouse.tga", 4, false},
    {"gfx/arrow-mousecontrol.tga", 1, false},   {"gfx/laser.tga", 1, false},
    {"gfx/lightning.tga", 1, false},            {"gfx/crate.tga", 6, false},
    {"gfx/parachute.tga", 1, false},            {"gfx/zeppelin.tga", 3, true},
    {"gfx/kamikaze.tga", 3, false},             {"gfx/bomber.tga", 3, false},
    {"gfx/ballistic.tga", 9, false},
};

const char* const SOUNDS[] = {
    "sfx/music/menu.ogg", "sfx/music/game.ogg", "sfx/clickXP.ogg", "sfx/pop.ogg", "sfx/rot5loo1.ogg",
    "sfx/ovrevlp1.ogg", "sfx/arc2.ogg", "sfx/bmbwstl2.ogg", "sfx/bmbwstl2short.ogg", "sfx/cannonfire.ogg",
    "sfx/laserFire.ogg", "sfx/laserHit.ogg", "sfx/lightninghit.ogg", "sfx/splash.ogg", "sfx/planesplash.ogg",
    "sfx/fireworklaunch.ogg", "sfx/fireworkbang.ogg", "sfx/planehit(ricocnvs).ogg", "sfx/spanloo.ogg",
    "sfx/firetree.ogg", "sfx/engnxploshort.ogg", "sfx/fx113.ogg", "sfx/balloonPop.ogg", "sfx/bubbles.ogg",
    "sfx/bubbleburst.ogg", "sfx/deflate.ogg", "sfx/waterExit.ogg", "sfx/missilelaunch.ogg",
    "sfx/missilehit.ogg", "sfx/kamikazeentry.ogg", "sfx/ballisticentry(gp32).ogg", "sfx/rot5loo1fade.ogg",
    "sfx/propelledbombentry.ogg", "sfx/bomberdropbomb.ogg", "sfx/crateBreak.ogg", "sfx/nyuck.ogg",
    "sfx/levelup.ogg", "sfx/leveldown.ogg", "sfx/drum_roll_1.ogg", "sfx/cymbalcrash.ogg", "sfx/lackerol3.ogg",
    "sfx/lackerol3lower.ogg", "sfx/clocktick.ogg", "sfx/clockchime.ogg",
};

class DataArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FileManager::fileExistsOnDisk(UString(ARCHIVE.c_str())))
            << "the build makes " << ARCHIVE;
        engine = new Plim(Plim::Bare{});
        engine->log = new Logger();
        engine->fileManager = new FileManager();
        engine->fileManager->useWad(UString(ARCHIVE.c_str()));
    }
    void TearDown() override {
        if (engine) BareEngine::shutDown(engine);
    }

    EngineTestFolder folder;  // keeps the log out of the user's own folder
    Plim* engine = nullptr;
};

TEST_F(DataArchiveTest, EveryPictureDecodesWithItsSubImagesInside) {
    for (const Picture& p : PICTURES) {
        SCOPED_TRACE(p.file);
        ASSERT_TRUE(engine->fileManager->fileExists(UString(p.file)));
        MemoryImageFile image(UString(p.file), false);
        ASSERT_GT(image.width, 0);
        ASSERT_GT(image.height, 0);
        EXPECT_TRUE(image.bHasAlpha);

        const UString ini = UString(p.file) + ".ini";
        ASSERT_TRUE(engine->fileManager->fileExists(ini));
        std::vector<SkinRect> skins;
        UString problem;
        EXPECT_TRUE(SkinList::read(ini, UString(p.file), image.width, image.height, skins, &problem)) << problem.c_str();
        const int count = int(skins.size());
        if (p.exact)
            EXPECT_EQ(count, p.minSkins);
        else
            EXPECT_GE(count, p.minSkins);
    }
}

TEST_F(DataArchiveTest, EverySoundAndMusicFileIsThere) {
    for (const char* name : SOUNDS) {
        SCOPED_TRACE(name);
        WadEntry* entry = engine->fileManager->findWadEntry(UString(name));
        ASSERT_NE(entry, nullptr);
        EXPECT_GT(entry->size, 1000u);
    }
}

TEST_F(DataArchiveTest, StaticSettingsHoldEveryKey) {
    engine->fileManager->bForceDisk = true;
    MemoryIniFile settings(UString(STATIC_FILE.c_str()));
    engine->fileManager->bForceDisk = false;
    EXPECT_FALSE(settings.getBool("Language", "bMultilanguage"));
    EXPECT_EQ(settings.getInt("Language", "singleLanguage"), 0);
    EXPECT_FALSE(settings.getBool("Edition", "bHoliday"));
    EXPECT_EQ(settings.getInt("Graphics", "ditherDepth"), 0);
    EXPECT_DOUBLE_EQ(settings.getDouble("Input", "hardwareMouseScaling"), 1.0);
}

} // namespace
