#include "QuadMosaic.h"

#include "ErrorManager.h"
#include "Quad.h"
#include "Renderable.h"
#include "Texture.h"

QuadMosaic::QuadMosaic() {}

QuadMosaic::~QuadMosaic() {}

void QuadMosaic::setGridSize(int c, int r) {
    columns = c;
    rows = r;
    cellCount = c * r;
    cells.resize(size_t(cellCount > 0 ? cellCount : 0), nullptr);
    vertexBuffer.resize(4 * cellCount);
}

void QuadMosaic::layout() {
    for (Quad* cell : cells) {
        PLIM_ASSERT(cell != nullptr);
        if (cell->pTexture) cell->pTexture->clampEdges();
    }
    width = 0.0f;
    for (int c = 0; c < columns; ++c)
        width += cells[size_t(c)]->width;
    height = 0.0f;
    for (int r = 0; r < rows; ++r)
        height += cells[size_t(r * columns)]->height;

    const UColor white(255, 255, 255, 255);
    float y = height / 2;
    for (int r = 0; r < rows; ++r) {
        float x = -width / 2;
        Quad* q = nullptr;
        for (int c = 0; c < columns; ++c) {
            q = cells[size_t(r * columns + c)];
            const UVRect& uv = q->uvRect;
            Vertex* v = vertexBuffer.pVertices + 4 * (r * columns + c);
            v[0] = Vertex{uv.left, uv.top, white, x, y, 0.0f};
            v[1] = Vertex{uv.right, uv.top, white, x + q->width, y, 0.0f};
            v[2] = Vertex{uv.left, uv.bottom, white, x, y - q->height, 0.0f};
            v[3] = Vertex{uv.right, uv.bottom, white, x + q->width, y - q->height, 0.0f};
            x += q->width;
        }
        if (q) y -= q->height;
    }
    vertexBuffer.countWrite();
}

void QuadMosaic::draw(Renderable* owner) {
    vertexBuffer.setColor(owner->color, false);
    for (int i = 0; i < cellCount; ++i)
        vertexBuffer.draw(cells[size_t(i)]->pTexture, VertexBuffer::PRIM_TRIANGLE_STRIP, 4 * i, 4);
}
