#include "DrawHelpers.h"

#include "core/Plim.h"
#include "PlimGraphics.h"
#include "VertexBuffer.h"

namespace {

void setVertex(Vertex& v, float x, float y, UColor c) {
    v.u = v.v = 0.0f;
    v.color = c;
    v.x = x;
    v.y = y;
    v.z = 0.0f;
}

void drawUntextured(VertexBuffer& buffer, int type) {
    buffer.countWrite();
    PLIM->graphics->loadIdentity();
    buffer.draw(nullptr, type, 0, -1);
}

} // namespace

void drawFilledRect(const Rect& r, UColor c) {
    VertexBuffer buffer(4);
    setVertex(buffer.pVertices[0], r.left, r.top, c);
    setVertex(buffer.pVertices[1], r.right, r.top, c);
    setVertex(buffer.pVertices[2], r.left, r.bottom, c);
    setVertex(buffer.pVertices[3], r.right, r.bottom, c);
    drawUntextured(buffer, VertexBuffer::PRIM_TRIANGLE_STRIP);
}

void drawRectOutline(const Rect& r, UColor c) {
    VertexBuffer buffer(5);
    setVertex(buffer.pVertices[0], r.left, r.top, c);
    setVertex(buffer.pVertices[1], r.right, r.top, c);
    setVertex(buffer.pVertices[2], r.right, r.bottom, c);
    setVertex(buffer.pVertices[3], r.left, r.bottom, c);
    setVertex(buffer.pVertices[4], r.left, r.top, c);
    drawUntextured(buffer, VertexBuffer::PRIM_LINE_STRIP);
}

void drawLine(const Rect& ends, UColor c0, UColor c1) {
    if (c1.toU32() == 0) c1 = c0;
    VertexBuffer buffer(2);
    setVertex(buffer.pVertices[0], ends.left, ends.top, c0);
    setVertex(buffer.pVertices[1], ends.right, ends.bottom, c1);
    drawUntextured(buffer, VertexBuffer::PRIM_LINE_STRIP);
}
