#include "StretchSkin.h"

#include "core/ErrorManager.h"
#include "util/PixelRect.h"
#include "render/Quad.h"
#include "render/Renderable.h"
#include "render/Texture.h"

#include <cmath>

StretchSkin::StretchSkin(Skin* source) : sourceSkin(dynamic_cast<Quad*>(source)) {
    // The frame reads the source's texture and rectangles: only a quad has them.
    PLIM_ASSERT(sourceSkin!=NULL);
    vertexBuffer.resize(NUM_VERTICES);
}

StretchSkin::~StretchSkin() {}

void StretchSkin::setBorders(int left, int top, int bottom, int right) {
    borderLeft = left;
    borderTop = top;
    borderBottom = bottom;
    borderRight = right;
    const PixelRect& p = sourceSkin->pixelRect;
    PixelRect inner(p.left + borderLeft, p.top + borderTop, p.bottom - borderBottom, p.right - borderRight);
    innerUV = sourceSkin->pTexture->pixelRectToUV(inner);
    fitToTexture();
}

void StretchSkin::fitToTexture() {
    const UVRect& uv = sourceSkin->uvRect;
    const Texture* texture = sourceSkin->pTexture;
    setSize((uv.right - uv.left) * float(texture->width), std::fabs(uv.top - uv.bottom) * float(texture->height));
}

void StretchSkin::setSize(float w, float h) {
    width = w;
    height = h > 0.0f ? h : sourceSkin->height;

    const UVRect& outer = sourceSkin->uvRect;
    const float xs[4] = {-width / 2, -width / 2 + float(borderLeft), width / 2 - float(borderRight), width / 2};
    const float us[4] = {outer.left, innerUV.left, innerUV.right, outer.right};
    const float ys[4] = {height / 2, height / 2 - float(borderTop), -height / 2 + float(borderBottom), -height / 2};
    const float vs[4] = {outer.top, innerUV.top, innerUV.bottom, outer.bottom};

    Vertex* v = vertexBuffer.pVertices;
    for (int strip = 0; strip < 3; ++strip) {
        for (int column = 0; column < 4; ++column) {
            for (int row = strip; row <= strip + 1; ++row) {
                v->u = us[column];
                v->v = vs[row];
                v->color = UColor::WHITE;
                v->x = xs[column];
                v->y = ys[row];
                v->z = 0.0f;
                ++v;
            }
        }
    }
    vertexBuffer.countWrite();
}

void StretchSkin::draw(Renderable* owner) {
    vertexBuffer.setColor(owner->color, false);
    Texture* texture = sourceSkin->pTexture;
    if (borderTop == 0 && borderBottom == 0) {
        vertexBuffer.draw(texture, VertexBuffer::PRIM_TRIANGLE_STRIP, STRIP_VERTICES, STRIP_VERTICES);
        return;
    }
    for (int strip = 0; strip < 3; ++strip)
        vertexBuffer.draw(texture, VertexBuffer::PRIM_TRIANGLE_STRIP, strip * STRIP_VERTICES, STRIP_VERTICES);
}
