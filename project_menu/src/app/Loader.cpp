#include "Loader.h"

#include "screens/ContextLanguageSelect.h"
#include "core/DataFault.h"
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
#include "SubImage.h"

#include <algorithm>
#include <cstring>
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

// A texture the start reads from the archive, with its side file of sub-images.
struct TextureFile {
    const char* file;
    const char* name;
    int flags;
    bool framed = true;  // its sub-images are registered by name too
    int anchor = -1;     // origin of sub-image 0; -1 keeps the default
    int subImages = 1;   // the game takes sub-images 0 to subImages-1 (SubImage)
};

// A picture made of sub-images of one step's textures, cells row by row from
// the top-left; the step's first texture owns it.
struct Composite {
    const char* name = nullptr;  // none
    int columns = 0;
    int rows = 0;
    int anchor = -1;
    int cells[4][2] = {};  // (texture of the step, its sub-image) of each cell
};

struct TextureStep {
    std::vector<TextureFile> textures;
    Composite composite;
};

struct MusicFile {
    const char* file;
    const char* name;
};

// The pointer and the loading screen's bar, which the pre-loader needs first.
const TextureFile PRELOADED[] = {
    {"gfx/gui/game/progressbar.tga", SubImage::PROGRESS_BAR, TEXTURE_HALVE, true, -1, SubImage::BAR_PARTS},
    {"gfx/gui/game/mousepointer.tga", "mousePointer", TEXTURE_SPLIT},
};

const MusicFile MENU_MUSIC = {"sfx/music/menu.ogg", "musicMenu"};
const MusicFile GAME_MUSIC = {"sfx/music/game.ogg", "musicGame"};

// Steps 5 to 12, one texture each.
const TextureFile FIXED_TEXTURES[] = {
    {"gfx/system/zemtrovia.tga", "zemtrovia", TEXTURE_SPLIT},
    {"gfx/system/languageflags.tga", "languageFlags", TEXTURE_SPLIT},
    {"gfx/font/font-tiny.tga", "fontTinyTex", GLYPH_SOURCE, false},
    {"gfx/font/alphabet-myriad.tga", "fontSmallTex", GLYPH_SOURCE, false},
    {"gfx/font/font-medium.tga", "fontMediumTex", GLYPH_SOURCE, false},
    {"gfx/font/font-large-1.tga", "fontLargeTex1", TEXTURE_HALVE, false},
    {"gfx/font/font-large-2.tga", "fontLargeTex2", TEXTURE_HALVE, false},
    {"gfx/font/alphabet-hud.tga", "fontHUDTex", TEXTURE_HALVE, false},
};

// A font's textures, whose sub-images become its symbols in order, the first
// one firstSymbol; the second texture's, if any, follow the first's. A font
// with accents puts accent symbols over letters (setupCompositeChars).
struct FontTextures {
    const char* first;
    const char* second;
    uint16_t firstSymbol;
    bool accents = false;
};
const FontTextures TINY_FONT = {"fontTinyTex", nullptr, 33}, SMALL_FONT = {"fontSmallTex", nullptr, 33},
                   MEDIUM_FONT = {"fontMediumTex", nullptr, 0, true},
                   LARGE_FONT = {"fontLargeTex1", "fontLargeTex2", 0, true}, HUD_FONT = {"fontHUDTex", nullptr, 44};

TextureStep oneTexture(const char* file, const char* name, int flags, int anchor = -1, int subImages = 1) {
    return {{{file, name, flags, true, anchor, subImages}}, {}};
}

const std::vector<TextureStep> TEXTURE_STEPS = {
    oneTexture("gfx/system/autoconfigure.tga", "autoConfigure", TEXTURE_SPLIT, 7),
    oneTexture("gfx/gui/game/editbox.tga", SubImage::EDIT_BOX, TEXTURE_HALVE, -1, SubImage::FRAMES),
    oneTexture("gfx/gui/game/button.tga", SubImage::BUTTON, TEXTURE_HALVE, -1, SubImage::FRAMES),
    oneTexture("gfx/gui/game/square.tga", "gui-game-square", TEXTURE_HALVE),
    {{{"gfx/logo_0_0.tga", "logo", TEXTURE_HALVE},
      {"gfx/logo_1_0.tga", "logo1", TEXTURE_HALVE},
      {"gfx/logo_0_1.tga", "logo2", TEXTURE_HALVE},
      {"gfx/logo_1_1.tga", "logo3", TEXTURE_HALVE}},
     {"logo:all", 2, 2, -1, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}}},
    oneTexture("gfx/sky-colormatched.tga", "sky", TEXTURE_SPLIT, 1),
    {{{"gfx/sea_0_0.tga", "sea", TEXTURE_HALVE}, {"gfx/sea_1_0.tga", "sea2", TEXTURE_HALVE}},
     {"sea:all", 2, 1, 7, {{0, 0}, {1, 0}}}},
    {{{"gfx/island.tga", "island", TEXTURE_HALVE}}, {"island:all", 2, 1, -1, {{0, 0}, {0, 1}}}},
    oneTexture("gfx/ovalbuttons.tga", SubImage::OVAL_BUTTONS, TEXTURE_HALVE, -1, SubImage::OVAL_PARTS),
    oneTexture("gfx/palm.tga", "palm", TEXTURE_HALVE),
    oneTexture("gfx/3ds_explosion.tga", "explosion", TEXTURE_HALVE),
    oneTexture("gfx/3ds_smoke.tga", "smoke", TEXTURE_HALVE),
    oneTexture("gfx/propeller.tga", "propeller", TEXTURE_HALVE),
    oneTexture("gfx/biplane.tga", "biplane", TEXTURE_HALVE),
    oneTexture("gfx/biplane-markings.tga", "biplane-markings", TEXTURE_HALVE),
    oneTexture("gfx/p35.tga", "p35", TEXTURE_HALVE),
    oneTexture("gfx/p35-markings.tga", "p35-markings", TEXTURE_HALVE),
    oneTexture("gfx/cannon.tga", "cannon", TEXTURE_HALVE),
    oneTexture("gfx/projectiles.tga", "projectiles", TEXTURE_HALVE),
    oneTexture("gfx/splash.tga", "splash", TEXTURE_HALVE),
    oneTexture("gfx/circularsplash.tga", "circularSplash", TEXTURE_HALVE),
    oneTexture("gfx/propelledBomb.tga", "propelledBomb", TEXTURE_HALVE),
    oneTexture("gfx/hotairballoon.tga", "hotAirBalloon", TEXTURE_HALVE),
    oneTexture("gfx/torpedo.tga", "torpedo", TEXTURE_HALVE),
    oneTexture("gfx/atombomb.tga", "atomBomb", TEXTURE_HALVE),
    oneTexture("gfx/hud-energybar.tga", SubImage::ENERGY_BAR, TEXTURE_HALVE, -1, SubImage::ENERGY_BARS),
    oneTexture("gfx/hud-bonusicons.tga", "hud-bonusicons", TEXTURE_HALVE),
    oneTexture("gfx/balloons.tga", "balloons", TEXTURE_HALVE),
    oneTexture("gfx/flare-small.tga", "flare", TEXTURE_HALVE),
    oneTexture("gfx/intellimouse.tga", "mouse", TEXTURE_HALVE),
    oneTexture("gfx/arrow-mousecontrol.tga", "mouseArrow", TEXTURE_HALVE, 6),
    oneTexture("gfx/laser.tga", "laser", TEXTURE_HALVE),
    oneTexture("gfx/lightning.tga", "lightning", TEXTURE_HALVE),
    oneTexture("gfx/crate.tga", "crate", TEXTURE_HALVE),
    oneTexture("gfx/parachute.tga", "parachute", TEXTURE_HALVE),
    // The ballistic enemy has a picture of its own (body and eight flame frames).
    oneTexture("gfx/ballistic.tga", "ballistic", TEXTURE_HALVE),
    {{{"gfx/zeppelin.tga", "zeppelin", TEXTURE_HALVE}}, {"zeppelin:all", 2, 1, 4, {{0, 0}, {0, 1}}}},
    // The kamikaze and the bomber enemies' pictures.
    oneTexture("gfx/kamikaze.tga", "kamikaze", TEXTURE_HALVE),
    oneTexture("gfx/bomber.tga", "bomber", TEXTURE_HALVE),
};

ResourceManager* resources() { return PLIM->resourceManager; }

Texture* findTexture(const char* name) { return static_cast<Texture*>(resources()->find(name, true)); }

void addFontTextures(FontQuad* font, const FontTextures& textures) {
    font->addSourceTexture(findTexture(textures.first), textures.firstSymbol);
    if (textures.second) font->addSourceTexture(findTexture(textures.second), 0xFFFF);
}

Texture* loadTexture(const TextureFile& t) {
    Texture* texture = new Texture(t.file, t.flags);
    if (t.framed)
        Loader::registerFrames(t.name, texture);
    else
        Loader::registerResource(t.name, texture);
    if (t.anchor >= 0 && !texture->skins.empty()) texture->skins[0]->setOrigin(t.anchor);
    return texture;
}

void loadMusic(const MusicFile& music) { Loader::registerResource(music.name, new SoundStream(music.file, true)); }

void makeComposite(const Composite& c, const std::vector<Texture*>& loaded) {
    QuadMosaic* mosaic = new QuadMosaic();
    mosaic->setGridSize(c.columns, c.rows);
    for (int i = 0; i < c.columns * c.rows; ++i)
        mosaic->cells[i] = Loader::compositeCell(c.name, loaded[size_t(c.cells[i][0])], c.cells[i][1]);
    mosaic->layout();
    if (c.anchor >= 0) mosaic->setOrigin(c.anchor);
    resources()->addResource(c.name, mosaic);
    loaded.front()->skins.push_back(mosaic);
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
    steps.push_back([](Loader&) { loadMusic(MENU_MUSIC); });
    steps.push_back([](Loader&) {
        SoundStream* music = static_cast<SoundStream*>(resources()->find(MENU_MUSIC.name, true));
        if (PLIM->audio) {
            PLIM->audio->setMusicVolume(float(gGlobal->saveData.musicVolume) / 24.0f);
            PLIM->audio->playMusic(music);
        }
    });
    steps.push_back([](Loader&) { loadMusic(GAME_MUSIC); });
    for (const TextureFile& texture : FIXED_TEXTURES) steps.push_back([&texture](Loader&) { loadTexture(texture); });
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
    for (const TextureStep& step : TEXTURE_STEPS)
        steps.push_back([&step](Loader&) {
            std::vector<Texture*> loaded;
            for (const TextureFile& texture : step.textures) loaded.push_back(loadTexture(texture));
            if (step.composite.name) makeComposite(step.composite, loaded);
        });
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
        addFontTextures(font, TINY_FONT);
        Loader::registerResource("fontTiny", font);
    });
    steps.push_back([](Loader&) {
        FontQuad* font = gGlobal->fontSmall = new FontQuad();
        font->bCacheWhite = true;
        font->spaceWidth = 3;
        font->defaultSpacing = -1;
        font->accentDropLower = 5;
        font->accentDropUpper = 3;
        addFontTextures(font, SMALL_FONT);
        Loader::registerResource("fontSmall", font);
    });
    steps.push_back([](Loader&) {
        FontQuad* font = gGlobal->fontMedium = new FontQuad();
        font->bCacheWhite = true;
        font->spaceWidth = 5;
        font->defaultSpacing = 0;
        font->accentDropLower = 2;
        font->accentDropUpper = 2;
        addFontTextures(font, MEDIUM_FONT);
        if (MEDIUM_FONT.accents) font->setupCompositeChars();
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
        addFontTextures(font, LARGE_FONT);
        gGlobal->onFontLoaded(font);
        if (LARGE_FONT.accents) font->setupCompositeChars();
        Loader::registerResource("fontLarge", font);
    });
    steps.push_back([](Loader&) {
        FontQuad* font = gGlobal->fontHUD = new FontQuad();
        font->bUseCache = false;
        font->spaceWidth = 3;
        font->defaultSpacing = -4;
        addFontTextures(font, HUD_FONT);
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
    progressBar = new Percentage(findTexture(SubImage::PROGRESS_BAR), SubImage::BAR_FRAME, SubImage::BAR_FILL);
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

void Loader::preload() {
    for (const TextureFile& texture : PRELOADED) loadTexture(texture);
}

namespace {

void addOnce(std::vector<UString>& files, const UString& file) {
    if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
}

// The picture listed once, with the most sub-images any of its uses takes.
void addPicture(Loader::NeededFiles& needed, const UString& file, int subImages) {
    addOnce(needed.pictures, file);
    int& used = needed.subImagesUsed[file.str()];
    used = std::max(used, subImages);
}

UString fileOf(const char* texture) {
    for (const TextureFile& t : FIXED_TEXTURES)
        if (strcmp(t.name, texture) == 0) return t.file;
    PLIM_ERROR("No font texture '%s'.", texture);
    return UString();
}

} // namespace

Loader::NeededFiles Loader::neededFilesByUse() {
    NeededFiles needed;
    for (const MusicFile& m : {MENU_MUSIC, GAME_MUSIC}) addOnce(needed.music, m.file);
    for (const TextureFile& t : PRELOADED) addPicture(needed, t.file, t.subImages);
    for (const TextureFile& t : FIXED_TEXTURES) addPicture(needed, t.file, t.subImages);
    for (const TextureStep& step : TEXTURE_STEPS) {
        for (const TextureFile& t : step.textures) addPicture(needed, t.file, t.subImages);
        const Composite& c = step.composite;
        for (int i = 0; c.name && i < c.columns * c.rows; ++i)
            addPicture(needed, step.textures[size_t(c.cells[i][0])].file, c.cells[i][1] + 1);
    }
    for (const SoundStep& s : SOUNDS) addOnce(needed.sounds, s.file);
    for (const FontTextures* font : {&TINY_FONT, &SMALL_FONT, &MEDIUM_FONT, &LARGE_FONT, &HUD_FONT}) {
        const int used = font->accents ? FontQuad::skinsThrough(font->firstSymbol, FontQuad::lastAccentSymbol()) : 0;
        needed.fonts.push_back({{fileOf(font->first)}, font->firstSymbol, used});
        if (font->second) needed.fonts.back().pictures.push_back(fileOf(font->second));
    }
    return needed;
}

std::vector<UString> Loader::neededFiles() {
    const NeededFiles needed = neededFilesByUse();
    std::vector<UString> files = needed.music;
    for (const UString& picture : needed.pictures) {
        files.push_back(picture);
        files.push_back(Texture::sideFileName(picture));
    }
    files.insert(files.end(), needed.sounds.begin(), needed.sounds.end());
    return files;
}

Quad* Loader::compositeCell(const char* composite, Texture* texture, int index) {
    if (int(texture->skins.size()) <= index)
        DataFault::raise("Composite '%s' needs sub-image %d of texture '%s', which has %d.", composite, index,
                         texture->name.c_str(), int(texture->skins.size()));
    Skin* skin = texture->skins[size_t(index)];
    if (!skin->getClass()->isKindOf(&Quad::runtimeClass))
        DataFault::raise("Composite '%s': sub-image %d of texture '%s' is not a single quad.", composite, index,
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
        PLIM->resourceManager->addResource(SubImage::resourceName(name.c_str(), int(i)), texture->skins[i]);
}
