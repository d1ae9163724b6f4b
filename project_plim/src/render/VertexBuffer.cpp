#include "VertexBuffer.h"

#include "core/ErrorManager.h"
#include "core/Plim.h"
#include "PlimGraphics.h"
#include "core/RuntimeClass.h"
#include "Texture.h"

#include <SDL_opengl.h>

RuntimeClass VertexBuffer::runtimeClass("VertexBuffer", &PlimBase::runtimeClass,
                                        []() -> void* { return VertexBuffer::create(); });

RuntimeClass* VertexBuffer::getClass() { return &runtimeClass; }

PlimBase* VertexBuffer::create() { return new VertexBuffer(0); }

VertexBuffer::VertexBuffer(int vertexCount) { resize(vertexCount); }

VertexBuffer::~VertexBuffer() { delete[] pVertices; }

void VertexBuffer::resize(int vertexCount) {
    if (vertexCount == numVertices) return;
    delete[] pVertices;
    pVertices = nullptr;
    numVertices = vertexCount;
    if (vertexCount > 0) pVertices = new Vertex[size_t(vertexCount)];
}

void VertexBuffer::countWrite() { PLIM->frameStats[STAT_VERTEX_BUFFER_WRITES]++; }

void VertexBuffer::setColor(UColor c, bool force) {
    if (numVertices <= 0) return;
    if (!force) {
        PlimGraphics* graphics = PLIM->graphics;
        if (graphics && graphics->bTFACTORSupport) {
            pVertices[0].color = c;
            return;
        }
        if (pVertices[0].color == c) return;
    }
    for (int i = 0; i < numVertices; ++i)
        pVertices[i].color = c;
    countWrite();
}

void VertexBuffer::draw(Texture* texture, int type, int first, int count, const ShownArea* shown) {
    if (numVertices <= 0) return;
    // A range past either end would have OpenGL read outside the array.
    if (first < 0) first = 0;
    if (first > numVertices) first = numVertices;
    int n = count < 0 ? numVertices - first : count;
    if (n > numVertices - first) n = numVertices - first;
    PLIM->frameStats[STAT_VERTICES] += n;

    static const GLenum modes[] = {GL_POINTS,         GL_LINES,          GL_LINE_STRIP,
                                   GL_TRIANGLES,      GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
    if (type < 0 || type > PRIM_TRIANGLE_FAN) PLIM_ERROR("Unknown primitive type %d", type);

    if (texture) texture->bind();
    // Blending off and GL_REPLACE for an opaque texture; the batch sets the
    // state each draw needs and skips what is already set.
    if (n > 0 && PLIM->graphics->bDrawPixels)
        PLIM->graphics->batch.draw(pVertices, int(modes[type]), first, n, texture != nullptr,
                                   texture ? texture->glTexHandle : 0, texture && !texture->bHasAlpha,
                                   texture ? shown : nullptr);
    if (!texture) return;

    const int32_t debugLevel = PLIM->debugLevel;
    if (debugLevel & 0x40) {
        setColor(UColor(255, 255, 255, 64), true);
        draw(nullptr, PRIM_TRIANGLE_STRIP, first, n);
        // Opaque white stays; the owner's next setColor restores its tint
        // because vertex 0 then differs from it.
        setColor(UColor::WHITE, true);
    }
    if (debugLevel & 0x08) draw(nullptr, PRIM_LINE_STRIP, first, n);
}
