#pragma once
// The look of a drawable object: a width x height rectangle centred on the
// skin's local (0, 0), x right and y up, with an origin (the local point placed
// at the renderable's position) and a vertex buffer that subclasses fill.
// Skin itself draws nothing. Skins are shared: many renderables may point at one.
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/V3.h"
#include "VertexBuffer.h"

class Matrix;
class Renderable;

class Skin : public PlimBase {
public:
    Skin();
    ~Skin() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;
    static PlimBase* create();

    // Multiplies xform on the right by a translation by -origin, so that the
    // origin lands on the renderable's position.
    virtual void translateOrigin(Matrix& xform);
    // Left and bottom edges inside, right and top edges outside.
    virtual bool isLocalPointInside(float x, float y);
    virtual void draw(Renderable* owner);
    virtual V3 getHalfSize();
    // Skin-local point to the renderable's local space, and back; identities here.
    virtual V3 local2world(V3 p);
    virtual V3 world2local(V3 p);
    virtual V3 local2worldOld(V3 p);
    virtual V3 world2localOld(V3 p);

    // Origin at one of nine anchors laid out like a numeric keypad (0 and 5:
    // centre, 1: bottom left, 9: top right) of the current size; any other
    // value leaves it unchanged.
    void setOrigin(int anchor);
    // Draws the skin once at a position, through a temporary renderable that
    // is never culled.
    void drawImmediate(V3 position, UColor colour);

    V3 origin;
    VertexBuffer vertexBuffer;
    float width = 0.0f;
    float height = 0.0f;
};
