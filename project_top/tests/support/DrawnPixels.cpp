#include "DrawnPixels.h"

#include "render/Camera.h"
#include "MatchHarness.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/Renderable.h"

#include <SDL_opengl.h>
#include <cstdint>
#include <cstdlib>

namespace DrawnPixels {

void drawAlone(const std::vector<Renderable*>& objects, UColor background) {
    MatchHarness::setDrawing(true);
    PLIM->graphics->clear(background);
    Camera view;
    view.render();
    for (Renderable* object : objects) object->render();
    glFinish();
}

UColor worldPixel(int x, int y) {
    uint8_t p[4] = {};
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(320 + x, 240 + y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return UColor(p[0], p[1], p[2], 255);
}

bool same(UColor a, UColor b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) < 24; }

int drawnAround(int x, int y, int r, UColor background) {
    int drawn = 0;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) drawn += !same(worldPixel(x + dx, y + dy), background);
    return drawn;
}

} // namespace DrawnPixels
