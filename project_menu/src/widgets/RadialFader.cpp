#include "RadialFader.h"

#include "app/Global.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "render/VertexBuffer.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

const int SEGMENTS = 128;
const float EDGE = 32.0f;

// A ring of SEGMENTS quads as a strip from radius outer (colour c0) to inner (c1).
void drawRing(float outer, float inner, UColor c0, UColor c1) {
    VertexBuffer ring(2 * (SEGMENTS + 1));
    for (int i = 0; i <= SEGMENTS; ++i) {
        float angle = float(i) * 2.0f * PI / float(SEGMENTS);
        float c = std::cos(angle), s = std::sin(angle);
        ring.pVertices[2 * i] = Vertex{0.0f, 0.0f, c0, outer * c, outer * s, 0.0f};
        ring.pVertices[2 * i + 1] = Vertex{0.0f, 0.0f, c1, inner * c, inner * s, 0.0f};
    }
    ring.countWrite();
    ring.draw(nullptr, VertexBuffer::PRIM_TRIANGLE_STRIP, 0, -1);
}

} // namespace

RadialFader::RadialFader() { bSkipVisibility = true; }

RadialFader::~RadialFader() {}

void RadialFader::tick(double time, double dt) {
    float step = float(dt);
    if (value < target)
        value = std::fmin(value + step, target);
    else if (value > target)
        value = std::fmax(value - step, target);
}

float RadialFader::radiusAt(float value, float outerRadius) {
    V3 r;
    interpolate(r, V3(outerRadius, 0.0f, 0.0f), V3(0.0f, 0.0f, 0.0f), value, INTERPOLATE_SINE_OUT);
    return r.x;
}

void RadialFader::render() {
    PlimGraphics* graphics = PLIM->graphics;
    if (value == 0.0f || !graphics) return;
    graphics->loadIdentity();
    // The default camera shows the virtual screen, one unit a virtual pixel.
    int hw = graphics->fovWidth / 2, hh = graphics->fovHeight / 2;
    float outer = std::sqrt(float(hw * hw + hh * hh)) + EDGE;
    float r = radiusAt(value, outer);
    float inner = std::fmax(r - EDGE, 0.0f);
    const UColor black(0, 0, 0, 255);
    bool softEdge = gGlobal && gGlobal->saveData.graphicsDetail > 0 && !graphics->bBrokenAlphaOp;
    if (softEdge) {
        graphics->setAlphaBlend(true);
        drawRing(r, inner, black, UColor(0, 0, 0, 0));
    }
    graphics->setAlphaBlend(false);
    drawRing(outer, r, black, black);
    graphics->setAlphaBlend(true);
}
