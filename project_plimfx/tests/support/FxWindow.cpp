#include "FxWindow.h"

#include "render/Camera.h"
#include "DeviceTestEngine.h"
#include "FontQuad.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"

#include <SDL_opengl.h>

#include <cmath>

FxWindow::FxWindow(const std::string& extraSettings) {
    folder.writeUserSettings("[PlimGraphics]\nscreenWidth=640\nscreenHeight=480\n" + extraSettings);
    device = new DeviceTestEngine(false);
}

FxWindow::~FxWindow() { delete device; }

void FxWindow::beginFrame() {
    PLIM->frameCount++;
    for (int32_t& stat : PLIM->frameStats) stat = 0;
    PLIM->graphics->setGlobalRenderState();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Camera camera;
    camera.tick(0.0, 0.0);
    camera.render();
}

std::string FxWindow::closeEngine() {
    delete device;
    device = nullptr;
    return EngineTestFolder::readFile(folder.logPath());
}

UColor FxWindow::pixelAt(float x, float y) {
    PlimGraphics* g = PLIM->graphics;
    const float sx = (x + g->fovWidth * 0.5f) * g->screenWidth / g->fovWidth;
    const float sy = (y + g->fovHeight * 0.5f) * g->screenHeight / g->fovHeight;
    unsigned char rgba[4] = {0, 0, 0, 0};
    glFinish();
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(int(std::floor(sx)), int(std::floor(sy)), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return UColor(rgba[0], rgba[1], rgba[2], rgba[3]);
}

void FontWindowTest::SetUp() {
    window = new FxWindow();
    font = new FontQuad();
    font->spaceWidth = 3;
    font->defaultSpacing = 1;
}

Texture* FontWindowTest::load(const char* name, const std::vector<TestGlyph>& glyphs, uint16_t first, int flags) {
    TestImages::writeGlyphStrip(name, glyphs);
    Texture* t = new Texture(name, flags);
    textures.push_back(t);
    font->addSourceTexture(t, first);
    return t;
}

std::string FontWindowTest::closeEngine() {
    if (font) font->deleteMe();
    font = nullptr;
    for (Texture* t : textures) t->deleteMe();
    textures.clear();
    std::string log = window ? window->closeEngine() : std::string();
    delete window;
    window = nullptr;
    return log;
}
