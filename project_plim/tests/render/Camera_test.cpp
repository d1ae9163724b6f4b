// Cameras without a window: the default view of the 640 x 480 virtual screen,
// whole-unit eye placement, screen and world conversions, and the camera that
// every context owns.
#include "BareEngineTest.h"
#include "render/Camera.h"
#include "core/Context.h"
#include "core/Plim.h"
#include "core/TimeKeeper.h"

#include <gtest/gtest.h>

namespace {

class CameraTest : public BareEngineTest {};

void expectV3(const V3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

void expectRect(const Rect& r, float left, float top, float right, float bottom) {
    EXPECT_FLOAT_EQ(r.left, left);
    EXPECT_FLOAT_EQ(r.top, top);
    EXPECT_FLOAT_EQ(r.right, right);
    EXPECT_FLOAT_EQ(r.bottom, bottom);
}

TEST_F(CameraTest, DefaultViewShowsTheVirtualScreenAtDepthZero) {
    Camera camera;
    expectV3(camera.position, 0.0f, 0.0f, -320.0f);
    expectRect(camera.getVisibleRect(0.0f), -320.0f, 240.0f, 320.0f, -240.0f);
    EXPECT_FLOAT_EQ(camera.getUnitsPerPixel(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(camera.getUnitsPerPixel(320.0f), 2.0f);
    expectV3(camera.screenToWorld(0.0f, 0.0f, 0.0f), -320.0f, -240.0f, 0.0f);
    expectV3(camera.screenToWorld(640.0f, 480.0f, 0.0f), 320.0f, 240.0f, 0.0f);
    expectV3(camera.worldToScreen(0.0f, 0.0f, 0.0f), 320.0f, 240.0f, 0.0f);
}

TEST_F(CameraTest, QueriesUseTheSetTargetWhileTickTruncatesTheEyeTowardZero) {
    Camera camera;
    camera.position = V3(10.7f, -10.7f, -300.5f);
    camera.target = V3(10.7f, -3.9f, 0.0f);
    camera.tick(0.0, 0.0);
    expectV3(camera.eye, 10.0f, -10.0f, -300.5f);
    expectV3(camera.center, 10.0f, -3.0f, 0.0f);
    // At its own depth the view shrinks to the target; twice as deep it doubles.
    expectRect(camera.getVisibleRect(-300.5f), 10.7f, -3.9f, 10.7f, -3.9f);
    expectRect(camera.getVisibleRect(300.5f), 10.7f - 601.0f, -3.9f + 450.75f, 10.7f + 601.0f, -3.9f - 450.75f);
    V3 screen = camera.worldToScreen(123.0f, 45.0f, 0.0f);
    expectV3(camera.screenToWorld(screen.x, screen.y, screen.z), 123.0f, 45.0f, 0.0f);
}

TEST_F(CameraTest, EveryContextOwnsACameraThatItsTickPlacesAndQueries) {
    engine->timeKeeper = new TimeKeeper();
    Context* context = new Context();
    ASSERT_NE(context->camera, nullptr);
    context->camera->position.x = 33.6f;
    context->camera->target.x = 33.6f;
    context->tick(0.0, 0.0);
    EXPECT_FLOAT_EQ(context->camera->eye.x, 33.0f);
    // No input part: the mouse sits at the screen's bottom-left corner.
    expectV3(context->mouseWorld, 33.6f - 320.0f, -240.0f, 0.0f);

    Context other;
    other.camera->target = V3(100.0f, 0.0f, 0.0f);
    other.camera->position = V3(100.0f, 0.0f, -320.0f);
    expectV3(other.transformPosition(context, 33.6f, 0.0f, 0.0f), 100.0f, 0.0f, 0.0f);

    int live = int(engine->liveObjects.getNumChildren());
    delete context;
    EXPECT_EQ(int(engine->liveObjects.getNumChildren()), live - 2); // its camera went with it
    delete engine->timeKeeper;
    engine->timeKeeper = nullptr;
}

} // namespace
