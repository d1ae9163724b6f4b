#include "Renderable.h"

#include "Camera.h"
#include "core/Context.h"
#include "core/ErrorManager.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "PlimGraphics.h"
#include "core/PropertyContainer.h"
#include "core/PropertyFloat.h"
#include "core/PropertyPointer.h"
#include "core/PropertyUColor.h"
#include "core/RuntimeClass.h"
#include "Skin.h"
#include "util/Transform.h"
#include "VertexBuffer.h"
#include "util/PlimMath.h"

#include <SDL_opengl.h>
#include <cmath>

RuntimeClass Renderable::runtimeClass("Renderable", &PlimBase::runtimeClass,
                                      []() -> void* { return Renderable::create(); });

RuntimeClass* Renderable::getClass() { return &runtimeClass; }

PlimBase* Renderable::create() { return new Renderable(); }

namespace {

bool isUnit(const V3& v) { return v.x == 1.0f && v.y == 1.0f && v.z == 1.0f; }

} // namespace

Renderable::Renderable() {}

Renderable::~Renderable() {
    if (bOwnsSkin && pSkin) {
        pSkin->deleteMe();
        pSkin = nullptr;
    }
}

void Renderable::setup(Skin* skin, const V3* newPosition, const V3* newRotation, const V3* newScale) {
    if (skin) pSkin = skin;
    if (newPosition) position = *newPosition;
    if (newRotation) rotation = *newRotation;
    if (newScale) scale = *newScale;
    updateVisuals();
}

void Renderable::deleteSkin() {
    if (!pSkin) return;
    pSkin->deleteMe();
    pSkin = nullptr;
}

// --- Transform and bounds ------------------------------------------------------

void Renderable::applyTransform(Matrix& m) {
    translateMatrix(m, position.x, position.y, position.z);
    // Everything drawn lies in the local plane z = 0; the x factor stands in
    // for z so that a z scale left at 0 never makes the matrix singular.
    if (!isUnit(postScale)) scaleMatrix(m, postScale.x, postScale.y, postScale.x);
    if (rotation.x != 0.0f) rotateMatrixX(m, float(radiansToDegrees(rotation.x)));
    if (rotation.y != 0.0f) rotateMatrixY(m, float(radiansToDegrees(rotation.y)));
    if (rotation.z != 0.0f) rotateMatrixZ(m, float(radiansToDegrees(rotation.z)));
    if (!isUnit(scale)) scaleMatrix(m, scale.x, scale.y, scale.x);
}

void Renderable::calcXform() {
    Matrix m = postXform;
    applyTransform(m);
    if (pSkin) pSkin->translateOrigin(m);
    xform = m;
    if (bHasInvXform) {
        PLIM->frameStats[STAT_INVERSE_TRANSFORMS]++;
        if (!Matrix::invert(invXform, xform)) PLIM_ERROR("Matrix inversion failed.");
    }
}

void Renderable::calcBounds() {
    if (bSkipVisibility) return;
    boundsCenter = local2world(V3(0.0f, 0.0f, 0.0f));
    if (!pSkin) return;
    const V3 corner = transformPoint(pSkin->getHalfSize(), xform);
    const V3 d = corner - boundsCenter;
    boundsRadius = sqrtf(d.x * d.x + d.y * d.y + d.z * d.z);
}

void Renderable::updateVisuals() {
    PLIM->frameStats[STAT_VISUAL_UPDATES]++;
    visualsFrame = PLIM->frameCount;
    calcXform();
    calcBounds();
}

void Renderable::setScaleXY(float s) {
    scale.x = s;
    scale.y = s;
    updateVisuals();
}

void Renderable::setPostScale(V3 s) {
    postScale = s;
    updateVisuals();
}

V3& Renderable::getPostScale() { return postScale; }

void Renderable::setPostScaleXY(float s) {
    postScale.x = s;
    postScale.y = s;
    updateVisuals();
}

void Renderable::setPostXform(Matrix& m) {
    postXform = m;
    updateVisuals();
}

// --- Drawing --------------------------------------------------------------------

void Renderable::calcVisibility() {
    if (bSkipVisibility) {
        bVisible = true;
        return;
    }
    Context* context = PLIM->currentContext;
    if (!context || !context->camera) {
        bVisible = true;
        return;
    }
    const Rect view = context->camera->getVisibleRect(boundsCenter.z);
    const V3& c = boundsCenter;
    const float r = boundsRadius;
    bVisible = !(view.left > c.x + r || c.x - r > view.right || c.y - r > view.top || view.bottom > c.y + r);
}

void Renderable::setupTextureEnv() {
    if (PLIM->graphics) PLIM->graphics->batch.setTexEnv(color == UColor::WHITE ? GL_REPLACE : GL_MODULATE);
}

void Renderable::render() {
    if (bHidden) return;
    calcVisibility();
    PLIM->frameStats[STAT_RENDERABLES]++;
    if (!bVisible) return;
    PLIM->frameStats[STAT_RENDERABLES_DRAWN]++;
    PlimGraphics* graphics = PLIM->graphics;
    if (!graphics) return; // no window: culling and counting only

    setupTextureEnv();
    const int32_t savedLevel = PLIM->debugLevel;
    int32_t level = savedLevel;
    if ((level & 0x80) && visualsFrame == PLIM->frameCount) level |= 0x40;
    if (!PLIM->bDebugLocked) {
        if (isHovered()) level |= 0x10 | 0x40;
        if (isFocused()) level |= 0x08;
    }
    PLIM->debugLevel = level;

    graphics->loadMatrix(xform.m);
    if (pSkin) pSkin->draw(this);
    if (!bSkipVisibility) drawDebugCircles(level);

    PLIM->debugLevel = savedLevel;
}

void Renderable::drawDebugCircles(int32_t level) {
    const float step = DEBUG_CIRCLE_STEP;
    if (level & 0x10) {
        VertexBuffer circle(64);
        const float radius = boundsRadius * collisionSensitivity;
        const UColor red(255, 0, 0, uint8_t(color.a >> 1));
        for (int k = 1; k <= 64; ++k) {
            const float angle = float(k) * step;
            circle.pVertices[k - 1] = Vertex{0.0f, 0.0f, red, boundsCenter.x + radius * cosf(angle),
                                             boundsCenter.y + radius * sinf(angle), position.z};
        }
        circle.countWrite();
        PLIM->graphics->loadIdentity();
        circle.draw(nullptr, VertexBuffer::PRIM_LINES, 0, -1);
    }
    if (level & 0x20) {
        VertexBuffer circle(68);
        const UColor tint(color.r, color.g, color.b, uint8_t(color.a >> 1));
        for (int k = 0; k < 64; ++k) {
            const float angle = float(k) * step;
            circle.pVertices[k] = Vertex{0.0f, 0.0f, tint, boundsCenter.x + boundsRadius * cosf(angle),
                                         boundsCenter.y + boundsRadius * sinf(angle), position.z};
        }
        const UColor white(255, 255, 255, 128);
        const V3& p = position;
        circle.pVertices[64] = Vertex{0.0f, 0.0f, white, p.x - 3.0f, p.y - 3.0f, p.z};
        circle.pVertices[65] = Vertex{0.0f, 0.0f, white, p.x + 3.0f, p.y + 3.0f, p.z};
        circle.pVertices[66] = Vertex{0.0f, 0.0f, white, p.x - 3.0f, p.y + 3.0f, p.z};
        circle.pVertices[67] = Vertex{0.0f, 0.0f, white, p.x + 3.0f, p.y - 3.0f, p.z};
        circle.countWrite();
        PLIM->graphics->loadIdentity();
        circle.draw(nullptr, VertexBuffer::PRIM_LINES, 0, -1);
    }
}

// --- Queries ----------------------------------------------------------------------

V3 Renderable::local2world(V3 localPoint) {
    return transformPoint(pSkin ? pSkin->local2world(localPoint) : localPoint, xform);
}

V3 Renderable::world2local(V3 worldPoint) {
    PLIM_ASSERT(bHasInvXform);
    const V3 q = transformPoint(worldPoint, invXform);
    return pSkin ? pSkin->world2local(q) : q;
}

bool Renderable::isPointInside(V3 worldPoint) {
    if (!pSkin) return false;
    const V3 local = world2local(worldPoint);
    return pSkin->isLocalPointInside(local.x, local.y);
}

bool Renderable::isMouseInside() {
    if (bSkipVisibility || !bHasInvXform) return false;
    Context* context = static_cast<Context*>(findContext());
    return isPointInside(context->mouseWorld);
}

bool Renderable::isPointInsideBounds(V3 worldPoint) {
    PLIM_ASSERT(!bSkipVisibility);
    return isWithinRadius(boundsCenter, worldPoint, boundsRadius);
}

bool Renderable::isPointInsideCollisionBounds(V3 worldPoint) {
    PLIM_ASSERT(!bSkipVisibility);
    return isWithinRadius(boundsCenter, worldPoint, boundsRadius * collisionSensitivity);
}

bool Renderable::collide(Renderable* other) {
    PLIM_ASSERT(!bSkipVisibility && !other->bSkipVisibility);
    PLIM->frameStats[STAT_COLLISIONS]++;
    return isWithinRadius(boundsCenter, other->boundsCenter,
                          boundsRadius * collisionSensitivity + other->boundsRadius * other->collisionSensitivity);
}

bool Renderable::boundsIntersecting(Renderable* other) {
    PLIM_ASSERT(!bSkipVisibility && !other->bSkipVisibility);
    return isWithinRadius(boundsCenter, other->boundsCenter, boundsRadius + other->boundsRadius);
}

// --- Properties ---------------------------------------------------------------------

namespace {

PropertyContainer* vectorGroup(const char* name, V3& v) {
    PropertyContainer* group = new PropertyContainer(name, 0);
    group->addChild(new PropertyFloat("x", 0, &v.x));
    group->addChild(new PropertyFloat("y", 0, &v.y));
    group->addChild(new PropertyFloat("z", 0, &v.z));
    return group;
}

} // namespace

void Renderable::addPropertiesTo(PlimBase* container) {
    PlimBase::addPropertiesTo(container);
    container->addChild(new PropertyFloat("collisionSensitivity", 0, &collisionSensitivity));
    container->addChild(vectorGroup("position", position));
    container->addChild(vectorGroup("rotation", rotation));
    container->addChild(vectorGroup("scale", scale));
    container->addChild(new PropertyUColor("color", 0, &color));
    // An owned skin dies with the object and is not named in replication.
    if (!bOwnsSkin) container->addChild(new PropertyPointer("pSkin", Property::RESOURCE, &pSkin, &Skin::runtimeClass));
}

void Renderable::netSerialize(Packet* packet) {
    PlimBase::netSerialize(packet);
    if (!packet->bWriting) updateVisuals();
}
