#include "Quad.h"

#include "ErrorManager.h"
#include "Renderable.h"
#include "RuntimeClass.h"
#include "Texture.h"

#include <cmath>

RuntimeClass Quad::runtimeClass("Quad", &Skin::runtimeClass, []() -> void* { return Quad::create(); });

RuntimeClass* Quad::getClass() { return &runtimeClass; }

PlimBase* Quad::create() { return new Quad(); }

Quad::Quad() { vertexBuffer.resize(4); }

Quad::~Quad() {}

void Quad::setSize(float w, float h) {
    width = w;
    height = h;
    const UColor white(255, 255, 255, 255);
    Vertex* v = vertexBuffer.pVertices;
    v[0] = Vertex{uvRect.left, uvRect.top, white, -w / 2, h / 2, 0.0f};
    v[1] = Vertex{uvRect.right, uvRect.top, white, w / 2, h / 2, 0.0f};
    v[2] = Vertex{uvRect.left, uvRect.bottom, white, -w / 2, -h / 2, 0.0f};
    v[3] = Vertex{uvRect.right, uvRect.bottom, white, w / 2, -h / 2, 0.0f};
    vertexBuffer.countWrite();
}

void Quad::fitToTexture() {
    PLIM_ASSERT(pTexture != nullptr);
    setSize((uvRect.right - uvRect.left) * float(pTexture->width),
            std::fabs(uvRect.top - uvRect.bottom) * float(pTexture->height));
}

void Quad::draw(Renderable* owner) {
    vertexBuffer.setColor(owner->color, false);
    vertexBuffer.draw(pTexture, VertexBuffer::PRIM_TRIANGLE_STRIP, 0, -1);
}
