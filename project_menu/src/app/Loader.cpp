#include "Loader.h"

#include "screens/ContextLanguageSelect.h"
#include "ContextManager.h"
#include "core/ErrorManager.h"
#include "files/FileManager.h"
#include "FontQuad.h"
#include "Global.h"
#include "language/Language.h"
#include "core/Logger.h"
#include "widgets/Percentage.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "render/PlimGraphics.h"
#include "util/PlimUtil.h"
#include "render/Quad.h"
#include "core/RuntimeClass.h"
#include "render/QuadMosaic.h"
#include "core/ResourceManager.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "render/Texture.h"

#include <functional>
#include <vector>

int Loader::stepsDone = 0;

namespace {

typedef std::function<void(Loader&)> Step;

const int FIXED_STEPS = 12;

// Font pictures the drawn-text caches copy glyphs from keep their image.
const int GLYPH_SOURCE = TEXTURE_HALVE | TEXTURE_KEEPSOURCE;

struct SoundStep {
    const char* file;
    const char* name;
    bool loop;
    int maxPlaybacks;
    double minPlayInterval = 0.0; // seconds between two starts
};

const SoundStep SOUNDS[] = {
    {"sfx/clickXP.ogg", "mouseClick", false, 2},
    {"sfx/pop.ogg", "pop", false, 3, 0.025},
    {"sfx/rot5loo1.ogg", "engine", true, 2},
    {"sfx/ovrevlp1.ogg", "engineSpinning", true, 2},
    {"sfx/ovrevlp1.ogg", "bomberEngine", true, 2},
    {"sfx/arc2.ogg", "lightningFire", true, 2},
    {"sfx/bmbwstl2.ogg", "bombWhistle", false, 2},
    {"sfx/bmbwstl2short.ogg", "bombWhistleShort", false, 2},
    {"sfx/cannonfire.ogg", "cannonFire", false, 2},
    {"sfx/laserFire.ogg", "laserFire", false, 2},
    {"sfx/laserHit.ogg", "laserHit", false, 2},
    {"sfx/lightninghit.ogg", "lightningHit", false, 2},
    {"sfx/splash.ogg", "smallSplash", false, 2},
    {"sfx/planesplash.ogg", "largeSplash", false, 2},
    {"sfx/fireworklaunch.ogg", "fireworkLaunch", false, 2},
    {"sfx/fireworkbang.ogg", "fireworkBang", false, 2},
    {"sfx/planehit(ricocnvs).ogg", "planeHit", false, 2},
    {"sfx/spanloo.ogg", "bulletFire", false, 2},
    {"sfx/firetree.ogg", "treeBurn", false, 2},
    {"sfx/engnxploshort.ogg", "explosionShort", false, 2},
    {"sfx/fx113.ogg", "explosionLong", false, 2},
    {"sfx/balloonPop.ogg", "balloonPop", false, 2},
    {"sfx/bubbles.ogg", "bubbles", false, 2},
    {"sfx/bubbleburst.ogg", "bubbleBurst", false, 2},
    {"sfx/deflate.ogg", "deflate", false, 2},
    {"sfx/waterExit.ogg", "waterExit", false, 2},
    {"sfx/missilelaunch.ogg", "missileLaunch", false, 2},
    {"sfx/missilehit.ogg", "missileHit", false, 2},
    {"sfx/kamikazeentry.ogg", "kamikazeEntry", false, 2},
    {"sfx/ballisticentry(gp32).ogg", "ballisticEntry", false, 2},
    {"sfx/rot5loo1fade.ogg", "biplaneEntry", false, 2},
    {"sfx/propelledbombentry.ogg", "propelledBombEntry", false, 2},
    {"sfx/bomberdropbomb.ogg", "bomberDropBomb", false, 2},
    {"sfx/crateBreak.ogg", "crateBreak", false, 2},
    {"sfx/nyuck.ogg", "nyuck", false, 2},
    {"sfx/levelup.ogg", "bonusPickup+", false, 2},
    {"sfx/leveldown.ogg", "bonusPickup-", false, 2},
    {"sfx/drum_roll_1.ogg", "drumroll", false, 2},
    {"sfx/cymbalcrash.ogg", "cymbal", false, 2},
    {"sfx/lackerol3.ogg", "switchWeapon", false, 2},
    {"sfx/lackerol3lower.ogg", "switchWeaponLower", false, 2},
    // The invasion clock's sounds.
    {"sfx/clocktick.ogg", "clockTick", false, 2},
    {"sfx/clockchime.ogg", "clockChime", false, 2},
};

ResourceManager* resources() { return PLIM->resourceManager; }

Texture* findTexture(const char* name) { return static_cast<Texture*>(resources()->find(name, true)); }

Texture* loadFrames(const char* file, const char* name, int flags, int anchor = -1) {
    Texture* texture = new Texture(file, flags);
    Loader::registerFrames(name, texture);
    if (anchor >= 0 && !texture->skins.empty()) texture->skins[0]->setOrigin(anchor);
    return texture;
}

void loadResourceTexture(const char* file, const char* name, int flags) {
    Loader::registerResource(name, new Texture(file, flags));
}

// Cells row by row from the top-left; the owner texture keeps the mosaic.
void makeComposite(const char* name, int columns, int rows, const std::vector<Quad*>& cells, int anchor,
                   Texture* owner) {
    QuadMosaic* mosaic = new QuadMosaic();
    mosaic->setGridSize(columns, rows);
    for (size_t i = 0; i < cells.size(); ++i) mosaic->cells[i] = cells[i];
    mosaic->layout();
    if (anchor >= 0) mosaic->setOrigin(anchor);
    resources()->addResource(name, mosaic);
    owner->skins.push_back(mosaic);
}

// The text table has LANGUAGE_MAX rows; anything else counts as row 0.
int languageRow(int index) { return index >= 0 && index < Language::LANGUAGE_MAX ? index : 0; }

bool singleLanguageMode() { return !PLIM->bMultilanguage; }

UString codePage() {
    if (!singleLanguageMode() || !PLIM->language) return UString();
    const char* text = PLIM->language->strings[languageRow(PLIM->singleLanguage)][Language::STR_LANGUAGECODEPAGE];
    return text ? UString(text) : UString();
}

UString codePageArchive(const UString& page) { return Global::getArchiveName() + "." + page; }

// Loads "pattern" with the code page and i = 1, 2, ... until a file is missing.
void loadCodePageTextures(const UString& page, const char* filePattern, const char* namePattern, int flags) {
    for (int i = 1;; ++i) {
        UString file = formatString(filePattern, page.c_str(), i);
        if (!PLIM->fileManager->fileExists(file)) break;
        Loader::registerResource(formatString(namePattern, i), new Texture(file, flags));
    }
}

void addCodePageGlyphs(FontQuad* font, const char* namePattern) {
    for (int i = 1;; ++i) {
        PlimBase* texture = resources()->find(formatString(namePattern, i), false);
        if (!texture) break;
        font->addSourceTexture(static_cast<Texture*>(texture), i == 1 ? 256 : 0xFFFF);
    }
}

void appendFixedSteps(std::vector<Step>& steps) {
    steps.push_back([](Loader&) {});
    steps.push_back([](Loader&) {
        Loader::registerResource("musicMenu", new SoundStream("sfx/music/menu.ogg", true));
    });
    steps.push_back([](Loader&) {
        SoundStream* music = static_cast<SoundStream*>(resources()->find("musicMenu", true));
        if (PLIM->audio) {
            PLIM->audio->setMusicVolume(float(gGlobal->saveData.musicVolume) / 24.0f);
            PLIM->audio->playMusic(music);
        }
    });
    steps.push_back([](Loader&) {
        Loader::registerResource("musicGame", new SoundStream("sfx/music/game.ogg", true));
    });
    steps.push_back([](Loader&) { loadFrames("gfx/system/zemtrovia.tga", "zemtrovia", TEXTURE_SPLIT); });
    steps.push_back([](Loader&) { loadFrames("gfx/system/languageflags.tga", "languageFlags", TEXTURE_SPLIT); });
    steps.push_back([](Loader&) { loadResourceTexture("gfx/font/font-tiny.tga", "fontTinyTex", GLYPH_SOURCE); });
    steps.push_back([](Loader&) { loadResourceTexture("gfx/font/alphabet-myriad.tga", "fontSmallTex", GLYPH_SOURCE); });
    steps.push_back([](Loader&) { loadResourceTexture("gfx/font/font-medium.tga", "fontMediumTex", GLYPH_SOURCE); });
    steps.push_back([](Loader&) { loadResourceTexture("gfx/font/font-large-1.tga", "fontLargeTex1", TEXTURE_HALVE); });
    steps.push_back([](Loader&) { loadResourceTexture("gfx/font/font-large-2.tga", "fontLargeTex2", TEXTURE_HALVE); });
    steps.push_back([](Loader&) { loadResourceTexture("gfx/font/alphabet-hud.tga", "fontHUDTex", TEXTURE_HALVE); });
}

void appendCodePageSteps(std::vector<Step>& steps, const UString& page) {
    steps.push_back([page](Loader&) {
        PLIM->fileManager->useWad(codePageArchive(page));
        loadCodePageTextures(page, "gfx/font/%s/font-small-%d.tga", "fontSmallCodepageTex%d", GLYPH_SOURCE);
    });
    steps.push_back([page](Loader&) {
        loadCodePageTextures(page, "gfx/font/%s/font-medium-%d.tga", "fontMediumCodepageTex%d", GLYPH_SOURCE);
    });
    steps.push_back([page](Loader&) {
        loadCodePageTextures(page, "gfx/font/%s/font-large-%d.tga", "fontLargeCodepageTex%d", TEXTURE_HALVE);
        PLIM->fileManager->useWad(Global::getArchiveName());
    });
}

void appendTextureSteps(std::vector<Step>& steps) {
    auto frames = [&steps](const char* file, const char* name, int flags, int anchor = -1) {
        steps.push_back([=](Loader&) { loadFrames(file, name, flags, anchor); });
    };
    frames("gfx/system/autoconfigure.tga", "autoConfigure", TEXTURE_SPLIT, 7);
    frames("gfx/gui/game/editbox.tga", "gui-game-editbox", TEXTURE_HALVE);
    frames("gfx/gui/game/button.tga", "gui-game-button", TEXTURE_HALVE);
    frames("gfx/gui/game/square.tga", "gui-game-square", TEXTURE_HALVE);
    steps.push_back([](Loader&) {
        Texture* pieces[4] = {loadFrames("gfx/logo_0_0.tga", "logo", TEXTURE_HALVE),
                              loadFrames("gfx/logo_1_0.tga", "logo1", TEXTURE_HALVE),
                              loadFrames("gfx/logo_0_1.tga", "logo2", TEXTURE_HALVE),
                              loadFrames("gfx/logo_1_1.tga", "logo3", TEXTURE_HALVE)};
        std::vector<Quad*> cells;
        for (Texture* piece : pieces) cells.push_back(Loader::compositeCell("logo:all", piece, 0));
        makeComposite("logo:all", 2, 2, cells, -1, findTexture("logo"));
    });
    frames("gfx/sky-colormatched.tga", "sky", TEXTURE_SPLIT, 1);
    steps.push_back([](Loader&) {
        Texture* left = loadFrames("gfx/sea_0_0.tga", "sea", TEXTURE_HALVE);
        Texture* right = loadFrames("gfx/sea_1_0.tga", "sea2", TEXTURE_HALVE);
        makeComposite("sea:all", 2, 1,
                      {Loader::compositeCell("sea:all", left, 0), Loader::compositeCell("sea:all", right, 0)}, 7,
                      findTexture("sea"));
    });
    steps.push_back([](Loader&) {
        Texture* island = loadFrames("gfx/island.tga", "island", TEXTURE_HALVE);
        makeComposite("island:all", 2, 1,
                      {Loader::compositeCell("island:all", island, 0), Loader::compositeCell("island:all", island, 1)},
                      -1, island);
    });
    frames("gfx/ovalbuttons.tga", "ovalButtons", TEXTURE_HALVE);
    frames("gfx/palm.tga", "palm", TEXTURE_HALVE);
    frames("gfx/3ds_explosion.tga", "explosion", TEXTURE_HALVE);
    frames("gfx/3ds_smoke.tga", "smoke", TEXTURE_HALVE);
    frames("gfx/propeller.tga", "propeller", TEXTURE_HALVE);
    frames("gfx/biplane.tga", "biplane", TEXTURE_HALVE);
    frames("gfx/biplane-markings.tga", "biplane-markings", TEXTURE_HALVE);
    frames("gfx/p35.tga", "p35", TEXTURE_HALVE);
    frames("gfx/p35-markings.tga", "p35-markings", TEXTURE_HALVE);
    frames("gfx/cannon.tga", "cannon", TEXTURE_HALVE);
    frames("gfx/projectiles.tga", "projectiles", TEXTURE_HALVE);
    frames("gfx/splash.tga", "splash", TEXTURE_HALVE);
    frames("gfx/circularsplash.tga", "circularSplash", TEXTURE_HALVE);
    frames("gfx/propelledBomb.tga", "propelledBomb", TEXTURE_HALVE);
    frames("gfx/hotairballoon.tga", "hotAirBalloon", TEXTURE_HALVE);
    frames("gfx/torpedo.tga", "torpedo", TEXTURE_HALVE);
    frames("gfx/atombomb.tga", "atomBomb", TEXTURE_HALVE);
    frames("gfx/hud-energybar.tga", "hud-energybar", TEXTURE_HALVE);
    frames("gfx/hud-bonusicons.tga", "hud-bonusicons", TEXTURE_HALVE);
    frames("gfx/balloons.tga", "balloons", TEXTURE_HALVE);
    frames("gfx/flare-small.tga", "flare", TEXTURE_HALVE);
    frames("gfx/intellimouse.tga", "mouse", TEXTURE_HALVE);
    frames("gfx/arrow-mousecontrol.tga", "mouseArrow", TEXTURE_HALVE, 6);
    frames("gfx/laser.tga", "laser", TEXTURE_HALVE);
    frames("gfx/lightning.tga", "lightning", TEXTURE_HALVE);
    frames("gfx/crate.tga", "crate", TEXTURE_HALVE);
    frames("gfx/parachute.tga", "parachute", TEXTURE_HALVE);
    // The ballistic enemy has a picture of its own (body and eight flame frames).
    frames("gfx/ballistic.tga", "ballistic", TEXTURE_HALVE);
    steps.push_back([](Loader&) {
        Texture* zeppelin = loadFrames("gfx/zeppelin.tga", "zeppelin", TEXTURE_HALVE);
        makeComposite(
            "zeppelin:all", 2, 1,
            {Loader::compositeCell("zeppelin:all", zeppelin, 0), Loader::compositeCell("zeppelin:all", zeppelin, 1)}, 4,
            zeppelin);
    });
    // The kamikaze and the bomber enemies' pictures.
    frames("gfx/kamikaze.tga", "kamikaze", TEXTURE_HALVE);
    frames("gfx/bomber.tga", "bomber", TEXTURE_HALVE);
}

void appendSoundSteps(std::vector<Step>& steps) {
    for (const SoundStep& s : SOUNDS)
        steps.push_back([&s](Loader&) {
            Sound* sound = new Sound(s.file, s.loop, s.maxPlaybacks);
            sound->minPlayInterval = s.minPlayInterval;
            Loader::registerResource(s.name, sound);
        });
}

void appendFontSteps(std::vector<Step>& steps) {
    steps.push_back([](Loader&) {
        FontQuad* font = gGlobal->fontTiny = new FontQuad();
        font->bCacheWhite = true;
        font->spaceWidth = 3;
        font->defaultSpacing = 1;
        font->addSourceTexture(findTexture("fontTinyTex"), 0xFFFF);
        Loader::registerResource("fontTiny", font);
    });
    steps.push_back([](Loader&) {
        FontQuad* font = gGlobal->fontSmall = new FontQuad();
        font->bCacheWhite = true;
        font->spaceWidth = 3;
        font->defaultSpacing = -1;
        font->accentDropLower = 5;
        font->accentDropUpper = 3;
        font->addSourceTexture(findTexture("fontSmallTex"), 33);
        Loader::registerResource("fontSmall", font);
    });
    steps.push_back([](Loader&) {
        FontQuad* font = gGlobal->fontMedium = new FontQuad();
        font->bCacheWhite = true;
        font->spaceWidth = 5;
        font->defaultSpacing = 0;
        font->accentDropLower = 2;
        font->accentDropUpper = 2;
        font->addSourceTexture(findTexture("fontMediumTex"), 0);
        font->setupCompositeChars();
        gGlobal->onFontLoaded(font);
        Loader::registerResource("fontMedium", font);
    });
    steps.push_back([](Loader&) {
        FontQuad* font = gGlobal->fontLarge = new FontQuad();
        font->bUseCache = false;
        font->spaceWidth = 12;
        font->defaultSpacing = 0;
        font->accentDropLower = 4;
        font->accentDropUpper = 4;
        font->addSourceTexture(findTexture("fontLargeTex1"), 0);
        font->addSourceTexture(findTexture("fontLargeTex2"), 0xFFFF);
        gGlobal->onFontLoaded(font);
        font->setupCompositeChars();
        Loader::registerResource("fontLarge", font);
    });
    steps.push_back([](Loader&) {
        FontQuad* font = gGlobal->fontHUD = new FontQuad();
        font->bUseCache = false;
        font->spaceWidth = 3;
        font->defaultSpacing = -4;
        font->addSourceTexture(findTexture("fontHUDTex"), 44);
        Loader::registerResource("fontHUD", font);
    });
}

void appendGlyphSteps(std::vector<Step>& steps) {
    steps.push_back([](Loader&) { addCodePageGlyphs(gGlobal->fontSmall, "fontSmallCodepageTex%d"); });
    steps.push_back([](Loader&) { addCodePageGlyphs(gGlobal->fontMedium, "fontMediumCodepageTex%d"); });
    steps.push_back([](Loader&) { addCodePageGlyphs(gGlobal->fontLarge, "fontLargeCodepageTex%d"); });
}

void settingsStep(Loader&) {
    PlimGraphics* graphics = PLIM->graphics;
    if (graphics) gGlobal->saveData.bFullScreenOption = graphics->bFullScreen || graphics->bFullScreenWaiting ? 1 : 0;
    gGlobal->applySettings();
}

void languageStep(Loader&) {
    if (PLIM->singleLanguage < 0 || PLIM->singleLanguage >= Language::LANGUAGE_MAX) PLIM->singleLanguage = 0;
    if (singleLanguageMode()) {
        PLIM->defaultLanguage = PLIM->singleLanguage;
        logTagged("loadStuff", "Single language mode (%d).", PLIM->defaultLanguage);
        return;
    }
    if (PLIM->defaultLanguage < 0 || PLIM->defaultLanguage >= Language::LANGUAGE_MAX) PLIM->defaultLanguage = -1;
    logTagged("loadStuff", "Multilanguage mode (%d).", PLIM->defaultLanguage);
    // The choice covers the loading screen, which waits on this step's
    // successor until a flag has been clicked.
    if (PLIM->defaultLanguage < 0) gGlobal->contextManager->push(new ContextLanguageSelect());
}

void lastStep(Loader& loader) {
    PLIM->language->setCurrentLanguage(PLIM->defaultLanguage);
    gGlobal->initPostLoader();
    loader.bDone = true;
}

// The whole list as it stands for the current settings.
std::vector<Step> buildSteps() {
    std::vector<Step> steps;
    appendFixedSteps(steps);
    bool single = singleLanguageMode();
    UString page = codePage();
    if (single && !page.isEmpty()) appendCodePageSteps(steps, page);
    appendTextureSteps(steps);
    appendSoundSteps(steps);
    appendFontSteps(steps);
    if (single) appendGlyphSteps(steps);
    steps.push_back(settingsStep);
    steps.push_back(languageStep);
    steps.push_back(lastStep);
    return steps;
}

} // namespace

Loader::Loader() {
    logTagged("Loader", "Loading resources...");
    bDeleteWhenDone = true;
    bEscapeCloses = false;
    bHideFps = true;
    if (PLIM->bDebugLocked) bMousePointer = false;
    clearColour = UColor(0, 0, 0, 255);
    progressBar = new Percentage(findTexture("gui-game-progressBar"), 0, 1);
    addChild(progressBar);
    total = loadStuff(true);
}

Loader::~Loader() {}

void Loader::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    int step = loadStuff(false);
    progressBar->setValue(total > 0 ? float(step) / float(total) : 1.0f);
}

int Loader::loadStuff(bool countOnly) {
    if (!countOnly && stepsDone < FIXED_STEPS) {
        std::vector<Step> fixed;
        appendFixedSteps(fixed);
        int n = ++stepsDone;
        fixed[size_t(n - 1)](*this);
        return n;
    }
    std::vector<Step> steps = buildSteps();
    int count = int(steps.size());
    if (!countOnly && stepsDone < count) {
        int n = ++stepsDone;
        steps[size_t(n - 1)](*this);
        return n;
    }
    return count;
}

Quad* Loader::compositeCell(const char* composite, Texture* texture, int index) {
    if (int(texture->skins.size()) <= index)
        PLIM_ERROR("Composite '%s' needs sub-image %d of texture '%s', which has %d.", composite, index,
                   texture->name.c_str(), int(texture->skins.size()));
    Skin* skin = texture->skins[size_t(index)];
    if (!skin->getClass()->isKindOf(&Quad::runtimeClass))
        PLIM_ERROR("Composite '%s': sub-image %d of texture '%s' is not a single quad.", composite, index,
                   texture->name.c_str());
    return static_cast<Quad*>(skin);
}

void Loader::registerResource(const UString& name, PlimBase* resource) {
    gGlobal->resourceHolder->addChild(resource);
    PLIM->resourceManager->addResource(name, resource);
}

void Loader::registerFrames(const UString& name, Texture* texture) {
    registerResource(name, texture);
    size_t count = texture->skins.size();
    for (size_t i = 0; i < count; ++i)
        PLIM->resourceManager->addResource(formatString("%s:%d", name.c_str(), int(i)), texture->skins[i]);
}
