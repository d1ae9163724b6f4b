#include "FontGDI.h"

#include "DebugFontData.h"
#include "core/Plim.h"
#include "PlimGraphics.h"
#include "util/PlimUtil.h"
#include "core/RuntimeClass.h"

#include <SDL_opengl.h>

RuntimeClass FontGDI::runtimeClass("FontGDI", &PlimBase::runtimeClass, nullptr);

FontGDI::FontGDI() {}
FontGDI::~FontGDI() {}
RuntimeClass* FontGDI::getClass() { return &runtimeClass; }
void FontGDI::onPLIMmodeChange(int, int) {}

void FontGDI::rasterPosition(int x, int y, int screenWidth, int screenHeight, int fovWidth,
                             int fovHeight, int* rasterX, int* rasterY) {
    if (screenWidth <= 0 || screenHeight <= 0) {
        *rasterX = *rasterY = 0;
        return;
    }
    *rasterX = ((x - screenWidth / 2) * fovWidth) / screenWidth;
    *rasterY = ((screenHeight / 2 - y - DEBUG_FONT_HEIGHT) * fovHeight) / screenHeight;
}

void FontGDI::print(int x, int y, const char* format, ...) {
    PlimGraphics* g = PLIM->graphics;
    if (!g || !g->bDrawPixels) return;
    va_list args;
    va_start(args, format);
    UString text;
    formatStringV(text, format, args);
    va_end(args);

    g->loadIdentity();
    g->batch.sync();
    g->batch.setBlend(true);
    g->batch.setTexturing(false);
    glColor3f(1.0f, 1.0f, 1.0f);
    int rx, ry;
    rasterPosition(x, y, g->screenWidth, g->screenHeight, g->fovWidth, g->fovHeight, &rx, &ry);
    glRasterPos2i(rx, ry);
    for (size_t i = 0; i < text.length(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int code = c < 0x80 ? c : 127;
        int w = debugFontWidths[code];
        glBitmap(w, DEBUG_FONT_HEIGHT, 0.0f, 0.0f, float(w + 1), 0.0f,
                 &debugFontRows[code * DEBUG_FONT_HEIGHT]);
    }
    g->batch.setTexturing(true);
}
