#include "Skin.h"

#include "util/Matrix.h"
#include "Renderable.h"
#include "core/RuntimeClass.h"
#include "util/Transform.h"

RuntimeClass Skin::runtimeClass("Skin", &PlimBase::runtimeClass, []() -> void* { return Skin::create(); });

RuntimeClass* Skin::getClass() { return &runtimeClass; }

PlimBase* Skin::create() { return new Skin(); }

Skin::Skin() : vertexBuffer(0) {}

Skin::~Skin() {}

void Skin::translateOrigin(Matrix& xform) { translateMatrix(xform, -origin.x, -origin.y, -origin.z); }

bool Skin::isLocalPointInside(float x, float y) {
    const float hw = width * 0.5f, hh = height * 0.5f;
    return x >= -hw && x < hw && y >= -hh && y < hh;
}

void Skin::draw(Renderable*) {}

V3 Skin::getHalfSize() { return V3(width * 0.5f, height * 0.5f, 0.0f); }

V3 Skin::local2world(V3 p) { return p; }

V3 Skin::world2local(V3 p) { return p; }

V3 Skin::local2worldOld(V3 p) { return p; }

V3 Skin::world2localOld(V3 p) { return p; }

void Skin::setOrigin(int anchor) {
    if (anchor < 0 || anchor > 9) return;
    const float hw = width / 2.0f, hh = height / 2.0f;
    // Keypad layout: column from (anchor - 1) % 3, row from (anchor - 1) / 3.
    static const int column[10] = {0, -1, 0, 1, -1, 0, 1, -1, 0, 1};
    static const int row[10] = {0, -1, -1, -1, 0, 0, 0, 1, 1, 1};
    origin = V3(float(column[anchor]) * hw, float(row[anchor]) * hh, 0.0f);
}

void Skin::drawImmediate(V3 position, UColor colour) {
    Renderable temporary;
    temporary.bSkipVisibility = true;
    temporary.setup(this, &position, nullptr, nullptr);
    temporary.color = colour;
    temporary.render();
}
