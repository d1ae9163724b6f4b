// The resource loader: its step counts in every language mode, the first
// steps, what the whole list registers, the language step and the last step.
#include "app/ContextManager.h"
#include "FontQuad.h"
#include "language/Language.h"
#include "LogText.h"
#include "app/Loader.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "render/QuadMosaic.h"
#include "core/ResourceManager.h"
#include "ShellTestEngine.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "render/Texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (xvfb-run)";
    }
    static PlimBase* find(const char* name) { return PLIM->resourceManager->find(name, false); }
};

TEST_F(LoaderTest, CountsStepsForEachLanguageModeWithoutLoading) {
    ShellTestEngine engine;
    engine.preLoad();
    Loader* loader = static_cast<Loader*>(engine.app->contextManager->getTop());
    int resources = PLIM->resourceManager->getCount();

    // Single-language mode with the table's language (empty code page).
    EXPECT_EQ(loader->total, 105);
    PLIM->bMultilanguage = true;
    EXPECT_EQ(loader->loadStuff(true), 102);

    // A language whose code page is not empty adds the three code-page steps.
    std::vector<Language::TextRow> rows;
    for (int id = 0; id < Language::STRINGS_MAX; ++id)
        rows.push_back({id, nullptr, id == Language::STR_LANGUAGECODEPAGE ? "cp1250" : PLIM->language->strings[0][id]});
    Language* own = PLIM->language;
    PLIM->language = new Language(rows.data(), int(rows.size()));
    PLIM->bMultilanguage = false;
    EXPECT_EQ(loader->loadStuff(true), 108);
    PLIM->singleLanguage = 5; // outside the table: row 0's code page
    EXPECT_EQ(loader->loadStuff(true), 108);
    delete PLIM->language;
    PLIM->language = own;
    PLIM->singleLanguage = 0;

    EXPECT_EQ(Loader::stepsDone, 0);
    EXPECT_EQ(PLIM->resourceManager->getCount(), resources);
}

TEST_F(LoaderTest, FirstStepsStartTheMenuMusic) {
    ShellTestEngine engine;
    engine.app->saveData.musicVolume = 12;
    engine.preLoad();
    Loader* loader = static_cast<Loader*>(engine.app->contextManager->getTop());
    int resources = PLIM->resourceManager->getCount();
    EXPECT_EQ(loader->loadStuff(false), 1);
    EXPECT_EQ(PLIM->resourceManager->getCount(), resources);
    EXPECT_EQ(loader->loadStuff(false), 2);
    ASSERT_NE(find("musicMenu"), nullptr);
    EXPECT_EQ(PLIM->audio->currentMusic, nullptr);
    EXPECT_EQ(loader->loadStuff(false), 3);
    EXPECT_EQ(PLIM->audio->currentMusic, find("musicMenu"));
    EXPECT_EQ(loader->loadStuff(false), 4);
    EXPECT_NE(find("musicGame"), nullptr);
}

TEST_F(LoaderTest, TheWholeListRegistersEveryResourceAndHandsOver) {
    ShellTestEngine engine;
    int pushed = 0;
    engine.app->firstContexts = [&] { ++pushed; };
    engine.preLoad();
    ContextManager* stack = engine.app->contextManager;
    Loader* loader = static_cast<Loader*>(stack->getTop());
    ASSERT_TRUE(engine.loadAll());
    EXPECT_EQ(pushed, 1);
    EXPECT_TRUE(loader->bDone);
    EXPECT_EQ(loader->loadStuff(false), 105); // nothing more to do
    EXPECT_EQ(PLIM->language->currentLanguage, 0);

    // Composites: found by name, appended to their texture's sub-images
    // without a "name:index" of their own.
    struct Composite { const char* name; const char* owner; };
    for (Composite c : {Composite{"logo:all", "logo"}, {"sea:all", "sea"}, {"island:all", "island"},
                        {"zeppelin:all", "zeppelin"}}) {
        Texture* owner = static_cast<Texture*>(find(c.owner));
        ASSERT_NE(owner, nullptr) << c.owner;
        EXPECT_EQ(owner->skins.back(), find(c.name)) << c.name;
        std::string last = std::string(c.owner) + ":" + std::to_string(owner->skins.size() - 1);
        EXPECT_EQ(find(last.c_str()), nullptr) << last;
    }
    EXPECT_EQ(static_cast<QuadMosaic*>(find("logo:all"))->cellCount, 4);

    // One file, two separate resources.
    EXPECT_NE(find("mouse"), nullptr);
    EXPECT_NE(find("ballistic"), find("mouse"));
    EXPECT_EQ(static_cast<Texture*>(find("ballistic"))->name, "gfx/ballistic.tga");
    EXPECT_NE(find("engineSpinning"), find("bomberEngine"));
    for (const char* name : {"kamikaze", "bomber", "clockTick", "clockChime", "kamikaze:0", "bomber:0"})
        EXPECT_NE(find(name), nullptr) << name;
    // Only "pop" waits between two starts.
    EXPECT_EQ(static_cast<Sound*>(find("pop"))->minPlayInterval, 0.025);
    for (const char* name : {"mouseClick", "balloonPop", "clockChime"})
        EXPECT_EQ(static_cast<Sound*>(find(name))->minPlayInterval, 0.0) << name;

    // Every loaded resource belongs to the holder; fonts are in the pointers.
    EXPECT_EQ(find("fontTiny"), engine.app->fontTiny);
    EXPECT_EQ(find("fontHUD"), engine.app->fontHUD);
    EXPECT_EQ(engine.app->fontSmall->parent, engine.app->resourceHolder);
    EXPECT_EQ(find("clockChime")->parent, engine.app->resourceHolder);
    // Glyphs begin at 33 (tiny, small), 0 (medium, large) and 44 (HUD); the
    // space never has one.
    EXPECT_EQ(engine.app->fontTiny->getSymbol(32).pQuad, nullptr);
    EXPECT_NE(engine.app->fontTiny->getSymbol(33).pQuad, nullptr);
    EXPECT_NE(engine.app->fontMedium->getSymbol(0).pQuad, nullptr);
    EXPECT_EQ(engine.app->fontHUD->getSymbol(43).pQuad, nullptr);
    EXPECT_NE(engine.app->fontHUD->getSymbol(44).pQuad, nullptr);

    // The first screens lie above the finished loader.
    EXPECT_NE(stack->getTop(), loader);
    EXPECT_EQ(stack->firstChild, static_cast<BasicLink*>(loader));

    LogText log(engine.closeEngine());
    EXPECT_GE(log.find("Loader(): Loading resources..."), 0);
    EXPECT_GE(log.find("loadStuff(): Single language mode (0)."), 0);
    EXPECT_GE(log.findPrefix("initPostLoader(): Global initialization complete at t="), 0);

    // The start requires every file read here, side files too, before the engine starts.
    const std::vector<UString> needed = Loader::neededFiles();
    auto isNeeded = [&needed](const std::string& file) {
        return std::find(needed.begin(), needed.end(), UString(file.c_str())) != needed.end();
    };
    struct Read { const char* prefix; const char* sideFile; };
    int read = 0;
    for (const std::string& line : log.lines)
        for (Read r : {Read{"Texture(): Loading texture '", ".ini"}, Read{"Sound(): Loading sound file '", ""}}) {
            const size_t start = strlen(r.prefix);
            if (line.compare(0, start, r.prefix) != 0) continue;
            const std::string file = line.substr(start, line.find('\'', start) - start);
            EXPECT_TRUE(isNeeded(file) && (!*r.sideFile || isNeeded(file + r.sideFile))) << file;
            ++read;
        }
    EXPECT_EQ(read, 96);
}

TEST_F(LoaderTest, MultiLanguageModeAsksForALanguageOnlyWithoutAValidOne) {
    {
        ShellTestEngine engine("bMultilanguage=Yes\nsingleLanguage=0\n", "[Plim]\ndefaultLanguage=0\n");
        engine.preLoad();
        ASSERT_TRUE(engine.loadAll());
        EXPECT_GE(LogText(engine.closeEngine()).find("loadStuff(): Multilanguage mode (0)."), 0);
    }
    ShellTestEngine engine("bMultilanguage=Yes\nsingleLanguage=0\n", "[Plim]\ndefaultLanguage=3\n");
    engine.preLoad();
    Loader* loader = static_cast<Loader*>(engine.app->contextManager->getTop());
    EXPECT_EQ(loader->total, 102);
    EXPECT_FALSE(engine.loadAll(250));
    EXPECT_EQ(Loader::stepsDone, 101);
    EXPECT_EQ(PLIM->defaultLanguage, -1);
    EXPECT_NE(engine.app->contextManager->getTop(), loader); // the language choice covers it
    EXPECT_GE(LogText(engine.closeEngine()).find("loadStuff(): Multilanguage mode (-1)."), 0);
}

TEST_F(LoaderTest, SingleLanguageOutsideTheTableFallsBackToTheFirst) {
    ShellTestEngine engine("bMultilanguage=No\nsingleLanguage=5\n");
    engine.preLoad();
    ASSERT_TRUE(engine.loadAll());
    EXPECT_EQ(PLIM->singleLanguage, 0);
    EXPECT_EQ(PLIM->defaultLanguage, 0);
    EXPECT_GE(LogText(engine.closeEngine()).find("loadStuff(): Single language mode (0)."), 0);
}

TEST_F(LoaderTest, ACompositeNeedsEnoughSubImages) {
    // The fatal path leaves the engine standing: no leak check in the child.
    std::string options = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
    setenv("ASAN_OPTIONS", (options + ":detect_leaks=0").c_str(), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EngineTestFolder::routeStdoutToStderr();
            ShellTestEngine engine;
            Texture* blank = new Texture(16, 16, 0); // one whole-picture sub-image
            blank->name = "gfx/island.tga";
            Loader::compositeCell("island:all", blank, 1);
        },
        ::testing::ExitedWithCode(1), "^Corvana2demo cannot use its data: Composite 'island:all' needs sub-image 1 of "
                                      "texture 'gfx/island.tga', which has 1.\n$");
    setenv("ASAN_OPTIONS", options.c_str(), 1);
}

} // namespace
