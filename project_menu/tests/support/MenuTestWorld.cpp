#include "MenuTestWorld.h"

#include "app/ContextManager.h"
#include "screens/ContextPost.h"
#include "screens/ContextPre.h"
#include "DeviceTestEngine.h"
#include "input/EventManager.h"
#include "FontQuad.h"
#include "widgets/GUIthemeMinimal.h"
#include "widgets/GUIthemeStandard.h"
#include "language/Language.h"
#include "app/Loader.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "render/PlimGraphics.h"
#include "input/PlimInput.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "audio/Sound.h"
#include "TestImages.h"
#include "util/PlimUtil.h"
#include "render/Texture.h"

#include <SDL_opengl.h>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

Texture* frames(const char* name, const char* file, const std::vector<TestGlyph>& images) {
    TestImages::writeGlyphStrip(file, images);
    Texture* texture = new Texture(file, 0);
    Loader::registerFrames(name, texture);
    return texture;
}

} // namespace

MenuTestWorld::MenuTestWorld(const std::string& extraSettings) {
    folder.writeUserSettings(extraSettings);
    device = new DeviceTestEngine(true);
    PLIM->resourceManager = new ResourceManager();
    PLIM->language = new Language();
    PLIM->language->setCurrentLanguage(0);
    // Buttons and motion are tracked as under a grab, without grabbing.
    PLIM->input->bMouseGrabbed = true;

    global = new MenuTestGlobal();
    gGlobal = global;
    global->resourceHolder = new PlimBase();

    frames("gui-game-editbox", "editbox.tga", {{64, 28, EDITBOX_COLOUR}, {64, 28, EDITBOX_LIT_COLOUR}});
    frames("gui-game-button", "button.tga", {{64, 32, BUTTON_COLOUR}, {64, 32, BUTTON_LIT_COLOUR}});
    frames("gui-game-square", "square.tga", {{64, 64, SQUARE_COLOUR}});
    frames("mousePointer", "pointer.tga", {{8, 8, 0xffffffff}});
    frames("sea", "sea.tga", {{64, 16, SEA_COLOUR}, {508, 40, SEA_COLOUR}});
    Texture* sky = frames("sky", "sky.tga", {{254, 250, SKY_COLOUR}});
    sky->skins[0]->setOrigin(1);
    frames("languageFlags", "flags.tga", {{48, 32, 0xff0000ff}});
    frames("zemtrovia", "zemtrovia.tga", {{128, 64, 0xffffffff}});
    Texture* logo = frames("logo", "logo.tga", {{200, 100, 0xff00ffff}});
    PLIM->resourceManager->addResource("logo:all", logo->skins[0]);

    // One block font: symbols 1 to 126 (the space takes no image).
    std::vector<TestGlyph> glyphs(126, TestGlyph{GLYPH_WIDTH, GLYPH_HEIGHT, 0xffffffff});
    Texture* glyphTexture = frames("fontTex", "font.tga", glyphs);
    FontQuad* font = new FontQuad();
    font->spaceWidth = GLYPH_WIDTH;
    font->defaultSpacing = 0;
    font->bUseCache = false;
    font->addSourceTexture(glyphTexture, 1);
    Loader::registerResource("font", font);
    global->fontTiny = global->fontSmall = global->fontMedium = global->fontLarge = global->fontHUD = font;

    for (const char* sound : {"mouseClick", "pop"}) Loader::registerResource(sound, new Sound(sound, false, 1));

    global->contextManager = new ContextManager();
    PLIM->frameTimer.startTime = 1.0;
    PLIM->frameTimer.previousStart = 1.0;
}

MenuTestWorld::~MenuTestWorld() {
    // The stack leaves the screens still on it to the end of the process.
    while (Context* screen = global->contextManager->getTop()) {
        global->contextManager->removeChild(screen);
        screen->deleteMe();
    }
    delete global;
    gGlobal = nullptr;
    delete PLIM->language;
    PLIM->language = nullptr;
    delete PLIM->resourceManager;
    PLIM->resourceManager = nullptr;
    delete device;
}

void MenuTestWorld::closeAudio() {
    if (!PLIM || !PLIM->audio) return;
    delete PLIM->audio;
    PLIM->audio = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void MenuTestWorld::createSharedContexts() {
    global->themeStandard = new GUIthemeStandard();
    global->themeMinimal = new GUIthemeMinimal();
    global->contextPre = new ContextPre();
    global->contextPost = new ContextPost();
}

void MenuTestWorld::frame(double dt, Context* root) {
    if (!root) root = global->contextManager;
    PLIM->frameTimer.previousStart = PLIM->frameTimer.startTime;
    PLIM->frameTimer.startTime += dt;
    PLIM->frameCount++;
    PLIM->input->update();
    PLIM->eventManager->update(root);
    root->tick(PLIM->getTime(), dt);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    root->render();
    // As the game's frame ends: else the software driver holds frame after
    // frame, tens of MB that would hide what the screens keep.
    PLIM->graphics->flush();
    glFinish();
}

void MenuTestWorld::run(double seconds, double dt, Context* root) {
    for (double t = 0.0; t < seconds - 1e-9; t += dt) frame(dt, root);
}

bool MenuTestWorld::runUntil(const std::function<bool()>& done, double seconds) {
    const uint64_t end = getMilliseconds() + uint64_t(seconds * 1000.0);
    while (!done()) {
        if (getMilliseconds() > end) return false;
        frame();
        usleep(2000);
    }
    return true;
}

void MenuTestWorld::moveMouse(float x, float y) {
    PlimInput* input = PLIM->input;
    input->mousePosition[0] = x + float(PLIM->graphics->fovWidth / 2);
    input->mousePosition[1] = y + float(PLIM->graphics->fovHeight / 2);
}

void MenuTestWorld::mouseButton(bool down, int button) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = Uint8(button);
    PLIM->input->onSdlEvent(event);
}

void MenuTestWorld::click(float x, float y) {
    moveMouse(x, y);
    mouseButton(true);
    frame();
    mouseButton(false);
    frame();
}

void MenuTestWorld::key(SDLKey sym, bool down, Uint16 unicode) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.sym = sym;
    event.key.keysym.unicode = unicode;
    PLIM->input->onSdlEvent(event);
}

void MenuTestWorld::typeKey(SDLKey sym, Uint16 unicode) {
    key(sym, true, unicode);
    frame();
    key(sym, false);
    frame();
}

UColor MenuTestWorld::pixelAt(float x, float y) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const float sx = float(viewport[2]) / float(PLIM->graphics->fovWidth);
    const float sy = float(viewport[3]) / float(PLIM->graphics->fovHeight);
    uint8_t p[4] = {};
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(int((x + float(PLIM->graphics->fovWidth / 2)) * sx), int((y + float(PLIM->graphics->fovHeight / 2)) * sy),
                 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return UColor(p[0], p[1], p[2], 255);
}

void MenuScreenTest::SetUp() {
    world = new MenuTestWorld();
    screen = new ContextMenu();
    screen->bDeleteWhenDone = true;
    world->global->contextManager->push(screen);
    world->moveAway();
    world->frame();
}

bool MenuTestWorld::near(UColor a, UColor b) {
    return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1 && a.a == b.a;
}
