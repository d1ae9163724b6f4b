// Blended cameras and contexts without a window: blending towards child
// cameras, deleting children that were taken over, delays, cuts, shakes, and
// the context that owns a blender and is made by class record.
#include "BareEngineTest.h"
#include "CameraBlender.h"
#include "CameraBlenderFactor.h"
#include "ContextBlender.h"
#include "core/Plim.h"
#include "PlimFxClasses.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "util/PlimMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class CameraBlenderTest : public BareEngineTest {
protected:
    CameraBlenderFactor* addChild(CameraBlender& blender, V3 position, double blendTime) {
        CameraBlenderFactor* child = new CameraBlenderFactor();
        child->position = position;
        child->blendTime = blendTime;
        blender.addChild(child);
        return child;
    }
    static void expectV3(const V3& v, float x, float y, float z) {
        EXPECT_FLOAT_EQ(v.x, x);
        EXPECT_FLOAT_EQ(v.y, y);
        EXPECT_FLOAT_EQ(v.z, z);
    }
};

TEST_F(CameraBlenderTest, WithoutChildrenItLooksStraightAheadFromTheBase) {
    CameraBlender camera;
    expectV3(camera.basePosition, 0, 0, -320);
    camera.basePosition = V3(10.7f, -3.25f, -320);
    camera.updateCamera(0.0, 0.1);
    expectV3(camera.position, 10.7f, -3.25f, -320);
    EXPECT_FLOAT_EQ(camera.target.x, 10.7f);
    EXPECT_FLOAT_EQ(camera.target.y, -3.25f);
    // Not rounded to whole units, unlike Camera::tick.
    expectV3(camera.eye, 10.7f, -3.25f, -320);
    expectV3(camera.center, 10.7f, -3.25f, 0);
    EXPECT_FLOAT_EQ(camera.roll, 0.0f);
}

TEST_F(CameraBlenderTest, ChildPullsTheViewByItsEasedFactor) {
    CameraBlender camera;
    CameraBlenderFactor* child = addChild(camera, V3(100, 40, -320), 1.0);
    EXPECT_EQ(child->interpolationKind, 5);
    camera.updateCamera(0.0, 0.5);
    EXPECT_FLOAT_EQ(child->factor, 0.5f);
    expectV3(camera.position, 50, 20, -320);
    camera.updateCamera(0.0, 0.25);
    // 0.5 - 0.5 cos(0.75 pi)
    EXPECT_NEAR(camera.position.x, 100 * (0.5 - 0.5 * cos(0.75 * PI_DOUBLE)), 1e-3);
    camera.updateCamera(0.0, 0.25);
    expectV3(camera.position, 100, 40, -320);
    EXPECT_EQ(camera.getNumChildren(), 1u); // the last child stays
}

TEST_F(CameraBlenderTest, ChildReachingOneDeletesTheOneBefore) {
    CameraBlender camera;
    addChild(camera, V3(10, 0, -320), 1000.0);
    addChild(camera, V3(20, 0, -320), 0.001);
    CameraBlenderFactor* third = addChild(camera, V3(30, 0, -320), 0.001);
    camera.updateCamera(0.0, 0.1);
    ASSERT_EQ(camera.getNumChildren(), 1u);
    EXPECT_EQ(camera.firstChild, third);
    EXPECT_FLOAT_EQ(camera.position.x, 30.0f);
}

TEST_F(CameraBlenderTest, WaitingChildCountsAsTheOneBefore) {
    CameraBlender camera;
    CameraBlenderFactor* waiting = addChild(camera, V3(10, 0, -320), 1.0);
    waiting->delay = 0.25;
    CameraBlenderFactor* next = addChild(camera, V3(50, 0, -320), 1000.0);
    camera.updateCamera(0.0, 0.25);
    // The delay ran out in this pass: not ticked yet.
    EXPECT_FLOAT_EQ(waiting->factor, 0.0f);
    EXPECT_EQ(waiting->blendElapsed, 0.0);
    camera.updateCamera(0.0, 0.25);
    EXPECT_FLOAT_EQ(waiting->factor, 0.25f);

    waiting->delay = 10.0;
    next->blendTime = 0.001;
    camera.updateCamera(0.0, 0.1);
    ASSERT_EQ(camera.getNumChildren(), 1u);
    EXPECT_EQ(camera.firstChild, next);
}

TEST_F(CameraBlenderTest, FactorStaysBetweenZeroAndOne) {
    CameraBlenderFactor child;
    child.tick(0.0, -0.5);
    EXPECT_FLOAT_EQ(child.factor, 0.0f);
    child.blendTime = 0.1;
    child.tick(0.0, 1.0);
    EXPECT_FLOAT_EQ(child.factor, 1.0f);
    double elapsed = child.blendElapsed;
    child.tick(0.0, 1.0);
    EXPECT_EQ(child.blendElapsed, elapsed);
}

TEST_F(CameraBlenderTest, ShakeRollShrinksToZero) {
    CameraBlender camera;
    camera.shake(0.01, 1.0);
    camera.updateCamera(0.0, 0.25);
    EXPECT_FLOAT_EQ(camera.roll, float(0.75 * 0.01 * cos(8.0)));
    camera.updateCamera(0.0, 0.5);
    EXPECT_FLOAT_EQ(camera.roll, float(0.25 * 0.01 * cos(24.0)));
    camera.updateCamera(0.0, 0.5);
    EXPECT_EQ(camera.shakeElapsed, 1.0);
    EXPECT_FLOAT_EQ(camera.roll, 0.0f);
    camera.updateCamera(0.0, 0.5);
    EXPECT_FLOAT_EQ(camera.roll, 0.0f);

    CameraBlender still;
    still.roll = 0.3f;
    still.shake(0.01, 0.0);
    still.updateCamera(0.0, 0.5);
    EXPECT_FLOAT_EQ(still.roll, 0.3f);
}

TEST_F(CameraBlenderTest, SetPositionCutsAtOnce) {
    CameraBlender camera;
    addChild(camera, V3(100, 0, -320), 1.0);
    addChild(camera, V3(200, 0, -320), 1.0);
    camera.updateCamera(0.0, 0.5);
    camera.setPosition(-40, 25, -300, false);
    EXPECT_EQ(camera.getNumChildren(), 0u);
    expectV3(camera.basePosition, -40, 25, -300);
    expectV3(camera.position, -40, 25, -300);
    expectV3(camera.target, -40, 25, 0);
    camera.updateCamera(0.0, 0.5);
    expectV3(camera.position, -40, 25, -300);
}

TEST_F(CameraBlenderTest, ClampKeepsTheLowerEdgeAtMinusFour) {
    CameraBlender camera;
    // At the default distance the view shows 240 units below the target.
    camera.setPosition(0, 0, -320, true);
    EXPECT_FLOAT_EQ(camera.basePosition.y, 236.0f);
    EXPECT_FLOAT_EQ(camera.position.y, 236.0f);
    EXPECT_FLOAT_EQ(camera.target.y, 236.0f);
    camera.setPosition(0, 300, -320, true);
    EXPECT_FLOAT_EQ(camera.position.y, 300.0f);
}

TEST_F(CameraBlenderTest, ContextBlenderOwnsOneBlenderInsteadOfTheDefaultCamera) {
    const uint32_t before = engine->liveObjects.getNumChildren();
    ContextBlender* context = new ContextBlender();
    // The context and its blender: the default camera is gone.
    EXPECT_EQ(engine->liveObjects.getNumChildren(), before + 2);
    CameraBlender* blender = dynamic_cast<CameraBlender*>(context->camera);
    ASSERT_NE(blender, nullptr);
    EXPECT_EQ(context->getCameraBlender(), blender);
    EXPECT_EQ(blender->getNumChildren(), 0u);
    expectV3(blender->position, 0, 0, -320);
    addChild(*blender, V3(1, 2, -320), 1.0);
    context->deleteMe();
    EXPECT_EQ(engine->liveObjects.getNumChildren(), before);
}

TEST_F(CameraBlenderTest, ContextTickBlendsAfterItsContents) {
    ContextBlender context;
    CameraBlenderFactor* child = addChild(*context.getCameraBlender(), V3(80, 0, -320), 1.0);
    engine->frameTimer.previousStart = 0.0;
    engine->frameTimer.startTime = 0.02;
    engine->maxFrameDuration = 1.0;
    for (int i = 0; i < 25; ++i) context.tick(0.0, 0.0);
    EXPECT_NEAR(child->factor, 0.5f, 1e-4);
    EXPECT_NEAR(context.camera->position.x, 40.0f, 1e-2);
    EXPECT_NEAR(context.camera->eye.x, 40.0f, 1e-2);
}

TEST_F(CameraBlenderTest, ClassRecordsAreRegisteredOnceAndMakeAContextBlender) {
    RuntimeClassManager* registry = RuntimeClassManager::getInstance();
    registerPlimFxClasses();
    const int count = registry->getNumClasses();
    registerPlimFxClasses();
    EXPECT_EQ(registry->getNumClasses(), count);
    for (const char* name : {"FontQuad", "FontQuadCacheEntry", "ContextBlender"})
        EXPECT_NE(RuntimeClass::findById(RuntimeClass::hashName(name)), nullptr) << name;

    RuntimeClass* record = RuntimeClass::findById(RuntimeClass::hashName("ContextBlender"));
    ASSERT_EQ(record, &ContextBlender::runtimeClass);
    EXPECT_TRUE(record->isKindOf(&Context::runtimeClass));
    PlimBase* made = static_cast<PlimBase*>(record->create());
    ContextBlender* context = dynamic_cast<ContextBlender*>(made);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->getClass(), record);
    EXPECT_NE(dynamic_cast<CameraBlender*>(context->camera), nullptr);
    made->deleteMe();
}

} // namespace
