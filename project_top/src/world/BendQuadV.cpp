#include "BendQuadV.h"

#include "render/Renderable.h"
#include "render/Texture.h"
#include "util/PlimMath.h"

#include <cmath>

BendQuadV::BendQuadV() { rebuild(); }

BendQuadV::~BendQuadV() {}

void BendQuadV::copyFrom(const Quad& other) {
    pTexture = other.pTexture;
    fitToTexture();
    uvRect = other.uvRect;
    fitToTexture();
}

void BendQuadV::setBend(float b) {
    if (std::fabs(b) < MIN_BEND) b = 0.0f;
    if (b == bend) return;
    bend = b;
    rebuild();
}

void BendQuadV::allocateVertices() {
    if (rows < 2) rows = 2;
    vertexBuffer.resize(rows * 2);
    const UColor white(255, 255, 255, 255);
    for (int i = 0; i < vertexBuffer.numVertices; ++i) {
        vertexBuffer.pVertices[i].z = 0.0f;
        vertexBuffer.pVertices[i].color = white;
    }
    fitToTexture();
}

void BendQuadV::fitToTexture() {
    if (!pTexture) return;
    width = (uvRect.right - uvRect.left) * float(pTexture->width);
    height = std::fabs(uvRect.top - uvRect.bottom) * float(pTexture->height);
    const int n = vertexBuffer.numVertices / 2;
    for (int i = 0; i < n * 2; ++i) {
        Vertex& v = vertexBuffer.pVertices[i];
        v.u = (i % 2 == 0) ? uvRect.left : uvRect.right;
        v.v = uvRect.top + float(i / 2) / float(n - 1) * (uvRect.bottom - uvRect.top);
    }
    rebuild();
}

void BendQuadV::rebuild() {
    const int n = vertexBuffer.numVertices / 2;
    if (n < 2) return;
    const float hw = width / 2.0f, hh = height / 2.0f;
    Vertex* v = vertexBuffer.pVertices;
    if (std::fabs(bend) < MIN_BEND) {
        for (int i = 0; i < n; ++i) {
            const float y = (1.0f - float(i) / float(n - 1)) * height - hh;
            v[2 * i].x = -hw;
            v[2 * i].y = y;
            v[2 * i + 1].x = hw;
            v[2 * i + 1].y = y;
            v[2 * i].z = v[2 * i + 1].z = 0.0f;
        }
    } else {
        const float r = height / bend;
        for (int i = 0; i < n; ++i) {
            const float a = float(n - 1 - i) / float(n - 1) * bend;
            const float c = std::cos(a), s = std::sin(a);
            v[2 * i].x = c * (r - hw) - r;
            v[2 * i].y = s * (r - hw) - hh;
            v[2 * i + 1].x = c * (r + hw) - r;
            v[2 * i + 1].y = s * (r + hw) - hh;
            v[2 * i].z = v[2 * i + 1].z = 0.0f;
        }
    }
    vertexBuffer.countWrite();
}

V3 BendQuadV::local2world(V3 p) {
    if (std::fabs(bend) < MIN_BEND) return p;
    const float hh = height / 2.0f;
    const float r = height / bend;
    const float a = bend * (p.y + hh) / height;
    return V3(std::cos(a) * (p.x + r) - r, std::sin(a) * (p.x + r) - hh, 0.0f);
}

V3 BendQuadV::world2local(V3 p) {
    if (std::fabs(bend) < MIN_BEND) return p;
    const float hh = height / 2.0f;
    const float s = bend >= 0.0f ? 1.0f : -1.0f;
    const float r = height / bend;
    const float t = std::atan2(p.y + hh, s * (r + p.x));
    return V3(s * std::sqrt((r + p.x) * (r + p.x) + (p.y + hh) * (p.y + hh)) - r, t * height / std::fabs(bend) - hh,
              p.z);
}

void BendQuadV::calcRadius(Renderable* owner) {
    const float k = height / HALF_PI;
    const float sx = owner->scale.x > owner->scale.y ? owner->scale.x : owner->scale.y;
    const float d = width / 2.0f + k - height / 2.0f;
    owner->boundsRadius = sx * std::sqrt(k * k + d * d);
}
