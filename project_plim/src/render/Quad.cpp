#include "Quad.h"

#include "core/ErrorManager.h"
#include "Renderable.h"
#include "core/RuntimeClass.h"
#include "Texture.h"

#include <cmath>

RuntimeClass Quad::runtimeClass("Quad", &Skin::runtimeClass, []() -> void* { return Quad::create(); });

RuntimeClass* Quad::getClass() { return &runtimeClass; }

PlimBase* Quad::create() { return new Quad(); }

bool Quad::trimming = true;

Quad::Quad() { vertexBuffer.resize(4); }

Quad::~Quad() {}

void Quad::setSize(float w, float h) {
    width = w;
    height = h;
    Vertex* v = vertexBuffer.pVertices;
    v[0] = Vertex{uvRect.left, uvRect.top, UColor::WHITE, -w / 2, h / 2, 0.0f};
    v[1] = Vertex{uvRect.right, uvRect.top, UColor::WHITE, w / 2, h / 2, 0.0f};
    v[2] = Vertex{uvRect.left, uvRect.bottom, UColor::WHITE, -w / 2, -h / 2, 0.0f};
    v[3] = Vertex{uvRect.right, uvRect.bottom, UColor::WHITE, w / 2, -h / 2, 0.0f};
    vertexBuffer.countWrite();
    if (!bTrimmed) return;
    const UVRect shows = pTexture->pixelRectToUV(pixelRect);
    if (shows.left != uvRect.left || shows.top != uvRect.top || shows.right != uvRect.right ||
        shows.bottom != uvRect.bottom) {
        bTrimmed = false;
        return;
    }
    // Source pixels to local units, y up, as the corners above place pixelRect.
    const float across = float(pixelRect.width()), down = float(pixelRect.height());
    shownLocal.corners = shownPixels.corners;
    for (int i = 0; i < shownPixels.corners; ++i) {
        shownLocal.x[i] = -w / 2 + w * (shownPixels.x[i] - float(pixelRect.left)) / across;
        shownLocal.y[i] = h / 2 - h * (shownPixels.y[i] - float(pixelRect.top)) / down;
    }
}

void Quad::setShownArea(const ShownArea* inPixels) {
    bTrimmed = inPixels && pTexture && pixelRect.width() > 0 && pixelRect.height() > 0;
    if (!bTrimmed) return;
    shownPixels = *inPixels;
    setSize(width, height);
}

void Quad::fitToTexture() {
    PLIM_ASSERT(pTexture != nullptr);
    setSize((uvRect.right - uvRect.left) * float(pTexture->width),
            std::fabs(uvRect.top - uvRect.bottom) * float(pTexture->height));
}

void Quad::draw(Renderable* owner) {
    vertexBuffer.setColor(owner->color, false);
    vertexBuffer.draw(pTexture, VertexBuffer::PRIM_TRIANGLE_STRIP, 0, -1, shownArea());
}
