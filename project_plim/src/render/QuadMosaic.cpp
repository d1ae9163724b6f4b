#include "QuadMosaic.h"

#include "core/ErrorManager.h"
#include "Quad.h"
#include "Renderable.h"
#include "ShownArea.h"
#include "Texture.h"

#include <algorithm>

QuadMosaic::QuadMosaic() {}

QuadMosaic::~QuadMosaic() {}

void QuadMosaic::setGridSize(int c, int r) {
    columns = c;
    rows = r;
    cellCount = c * r;
    cells.resize(size_t(cellCount > 0 ? cellCount : 0), nullptr);
    vertexBuffer.resize(4 * cellCount);
}

namespace {

// Where two cells on different textures meet at their images' edges, each
// texture's spare line beyond the edge gets the other cell's first line: the
// one after the image's last line, and the texture's last line, which wrapping
// reads before the image's first. Filtering across the join then blends the
// true neighbours, as one picture would.
void joinCells(Quad* first, Quad* second, bool across) {
    Texture* a = first->pTexture;
    Texture* b = second->pTexture;
    if (!a || !b || a == b || a->scaleFactor != 1 || b->scaleFactor != 1) return;
    const PixelRect& ra = first->pixelRect;
    const PixelRect& rb = second->pixelRect;
    if (across) {
        const int rows = std::min(ra.height(), rb.height());
        if (ra.right == a->requestedWidth && ra.right < a->realWidth && rb.left == 0)
            a->copyTexels(b, PixelRect(rb.left, rb.top, rb.top + rows, rb.left + 1), PixelPoint(ra.right, ra.top));
        if (rb.left == 0 && b->requestedWidth < b->realWidth - 1 && ra.right == a->requestedWidth)
            b->copyTexels(a, PixelRect(ra.right - 1, ra.top, ra.top + rows, ra.right),
                          PixelPoint(b->realWidth - 1, rb.top));
    } else {
        const int columns = std::min(ra.width(), rb.width());
        if (ra.bottom == a->requestedHeight && ra.bottom < a->realHeight && rb.top == 0)
            a->copyTexels(b, PixelRect(rb.left, rb.top, rb.top + 1, rb.left + columns), PixelPoint(ra.left, ra.bottom));
        if (rb.top == 0 && b->requestedHeight < b->realHeight - 1 && ra.bottom == a->requestedHeight)
            b->copyTexels(a, PixelRect(ra.left, ra.bottom - 1, ra.bottom, ra.left + columns),
                          PixelPoint(rb.left, b->realHeight - 1));
    }
}

} // namespace

void QuadMosaic::layout() {
    for (Quad* cell : cells) {
        PLIM_ASSERT(cell != nullptr);
        if (cell->pTexture) cell->pTexture->clampEdges();
    }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            Quad* q = cells[size_t(r * columns + c)];
            if (c + 1 < columns) joinCells(q, cells[size_t(r * columns + c + 1)], true);
            if (r + 1 < rows) joinCells(q, cells[size_t((r + 1) * columns + c)], false);
        }
    width = 0.0f;
    for (int c = 0; c < columns; ++c)
        width += cells[size_t(c)]->width;
    height = 0.0f;
    for (int r = 0; r < rows; ++r)
        height += cells[size_t(r * columns)]->height;

    float y = height / 2;
    for (int r = 0; r < rows; ++r) {
        float x = -width / 2;
        Quad* q = nullptr;
        for (int c = 0; c < columns; ++c) {
            q = cells[size_t(r * columns + c)];
            const UVRect& uv = q->uvRect;
            Vertex* v = vertexBuffer.pVertices + 4 * (r * columns + c);
            v[0] = Vertex{uv.left, uv.top, UColor::WHITE, x, y, 0.0f};
            v[1] = Vertex{uv.right, uv.top, UColor::WHITE, x + q->width, y, 0.0f};
            v[2] = Vertex{uv.left, uv.bottom, UColor::WHITE, x, y - q->height, 0.0f};
            v[3] = Vertex{uv.right, uv.bottom, UColor::WHITE, x + q->width, y - q->height, 0.0f};
            x += q->width;
        }
        if (q) y -= q->height;
    }
    vertexBuffer.countWrite();
}

void QuadMosaic::draw(Renderable* owner) {
    vertexBuffer.setColor(owner->color, false);
    for (int i = 0; i < cellCount; ++i) {
        const Quad* cell = cells[size_t(i)];
        const ShownArea* area = cell->shownArea();
        ShownArea placed;
        if (area) {
            // The cell's own area, moved from its centre to its place in the grid.
            const Vertex* v = vertexBuffer.pVertices + 4 * i;
            const float cx = (v[0].x + v[3].x) / 2, cy = (v[0].y + v[3].y) / 2;
            placed = *area;
            for (int k = 0; k < placed.corners; ++k) {
                placed.x[k] += cx;
                placed.y[k] += cy;
            }
        }
        vertexBuffer.draw(cell->pTexture, VertexBuffer::PRIM_TRIANGLE_STRIP, 4 * i, 4, area ? &placed : nullptr);
    }
}
