#pragma once
// Base of everything drawn as an object with a place in the world: a cached
// transform (position, rotation, scale, a scale after the rotation and a
// starting matrix), a tint, an optional skin that does the drawing, and a
// bounding circle for culling, picking and collisions. The transform and the
// bounds are computed in software by updateVisuals, so world logic runs
// without a GL context; only render needs one.
//
// Whoever changes position, rotation or scale directly calls updateVisuals
// afterwards; until then xform, invXform and the bounds describe the old state.
#include "util/Matrix.h"
#include "core/PlimBase.h"
#include "util/UColor.h"
#include "util/V3.h"

#include <cstdint>

class Packet;
class Skin;

class Renderable : public PlimBase {
public:
    Renderable();
    // Destroys the skin when it is owned.
    ~Renderable() override;
    RuntimeClass* getClass() override;
    static RuntimeClass runtimeClass;
    static PlimBase* create();

    // Culls against the current context's camera, then draws through the skin.
    // Draws neither the children nor anything else of the tree.
    void render() override;
    // The Context's mouse position is inside the skin; needs bHasInvXform.
    bool isMouseInside() override;
    // Reading a packet recomputes the transform.
    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;

    // GL_REPLACE for opaque white, GL_MODULATE for any other colour.
    virtual void setupTextureEnv();
    // Multiplies m on the right by T(position) S(postScale) Rx Ry Rz S(scale).
    virtual void applyTransform(Matrix& m);
    // xform = postXform * applyTransform * T(-skin origin); invXform with bHasInvXform.
    virtual void calcXform();
    virtual void calcBounds();
    virtual void calcVisibility();
    virtual bool isPointInside(V3 worldPoint);
    // The point's squared distance is strictly below the squared radius.
    virtual bool isPointInsideBounds(V3 worldPoint);
    virtual bool isPointInsideCollisionBounds(V3 worldPoint);
    // Circles scaled by each object's collisionSensitivity overlap; counted.
    virtual bool collide(Renderable* other);
    virtual V3 local2world(V3 localPoint);
    virtual V3 world2local(V3 worldPoint);
    // Recomputes transform and bounds; counted.
    virtual void updateVisuals();
    virtual void setScaleXY(float s);
    virtual void setPostScale(V3 s);
    virtual V3& getPostScale();
    virtual void setPostScaleXY(float s);
    virtual void setPostXform(Matrix& m);

    // Non-null arguments replace their fields; bOwnsSkin is not touched.
    void setup(Skin* skin, const V3* position, const V3* rotation, const V3* scale);
    // Destroys the skin whatever bOwnsSkin says.
    void deleteSkin();
    // The bounding circles overlap (no collision sensitivity, not counted).
    bool boundsIntersecting(Renderable* other);

    Matrix xform;
    Matrix invXform;
    V3 boundsCenter;
    UColor color{255, 255, 255, 255};
    float boundsRadius = 0.0f;
    float collisionSensitivity = 1.0f;
    bool bHidden = false;
    bool bOwnsSkin = false;
    bool bHasInvXform = false;
    Matrix postXform;
    Skin* pSkin = nullptr;
    V3 position;
    V3 rotation{0.0f, 0.0f, 0.0f}; // radians about x, y, z
    V3 scale{1.0f, 1.0f, 1.0f};
    V3 postScale{1.0f, 1.0f, 1.0f};
    int32_t visualsFrame = -1;

    // The debug circles' 64 segments: 6.28 rather than 2 pi, so a circle
    // stops just short of a full turn.
    static constexpr float DEBUG_CIRCLE_STEP = 6.28f * 0.015625f;

private:
    void drawDebugCircles(int32_t debugLevel);
};
