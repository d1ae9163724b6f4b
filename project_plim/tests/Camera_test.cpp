// Cameras without a window: the default view of the 640 x 480 virtual screen,
// whole-unit eye placement, conversions between screen and world, and the
// camera every context owns.
#include "Camera.h"
#include "Context.h"
#include "ManualTickSource.h"
#include "Plim.h"
#include "TimeKeeper.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override { engine = new Plim(Plim::Bare{}); }
    void TearDown() override {
        delete engine;
        PLIM = nullptr;
    }
    Plim* engine = nullptr;
};

void expectV3(const V3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST_F(CameraTest, DefaultViewShowsTheVirtualScreenAtDepthZero) {
    Camera camera;
    expectV3(camera.position, 0.0f, 0.0f, -320.0f);
    expectV3(camera.eye, 0.0f, 0.0f, -320.0f);
    expectV3(camera.center, 0.0f, 0.0f, 0.0f);
    Rect r = camera.getVisibleRect(0.0f);
    EXPECT_FLOAT_EQ(r.left, -320.0f);
    EXPECT_FLOAT_EQ(r.top, 240.0f);
    EXPECT_FLOAT_EQ(r.right, 320.0f);
    EXPECT_FLOAT_EQ(r.bottom, -240.0f);
    EXPECT_FLOAT_EQ(camera.getUnitsPerPixel(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(camera.getUnitsPerPixel(320.0f), 2.0f);
    expectV3(camera.screenToWorld(0.0f, 0.0f, 0.0f), -320.0f, -240.0f, 0.0f);
    expectV3(camera.screenToWorld(640.0f, 480.0f, 0.0f), 320.0f, 240.0f, 0.0f);
    expectV3(camera.worldToScreen(320.0f, 240.0f, 0.0f), 640.0f, 480.0f, 0.0f);
    expectV3(camera.worldToScreen(0.0f, 0.0f, 0.0f), 320.0f, 240.0f, 0.0f);
}

TEST_F(CameraTest, VisibleRectGrowsWithDepthAndShrinksToTheTargetAtTheEye) {
    Camera camera;
    camera.target = V3(10.7f, -5.0f, 0.0f);
    Rect far = camera.getVisibleRect(320.0f);
    EXPECT_FLOAT_EQ(far.left, 10.7f - 640.0f);
    EXPECT_FLOAT_EQ(far.right, 10.7f + 640.0f);
    EXPECT_FLOAT_EQ(far.top, -5.0f + 480.0f);
    EXPECT_FLOAT_EQ(far.bottom, -5.0f - 480.0f);
    Rect atEye = camera.getVisibleRect(-320.0f);
    EXPECT_FLOAT_EQ(atEye.left, 10.7f);
    EXPECT_FLOAT_EQ(atEye.right, 10.7f);
    EXPECT_FLOAT_EQ(atEye.top, -5.0f);
    EXPECT_FLOAT_EQ(atEye.bottom, -5.0f);
}

TEST_F(CameraTest, TickPlacesEyeAndCentreOnWholeUnitsTowardZero) {
    Camera camera;
    camera.position = V3(10.7f, -10.7f, -300.5f);
    camera.target = V3(-3.9f, 2.2f, 7.5f);
    camera.tick(0.0, 0.0);
    expectV3(camera.eye, 10.0f, -10.0f, -300.5f);
    expectV3(camera.center, -3.0f, 2.0f, 7.5f);
}

TEST_F(CameraTest, ConversionsFollowAMovedTargetAtOnceAndInvertEachOther) {
    Camera camera;
    camera.target = V3(100.0f, 50.0f, 0.0f);
    camera.position = V3(100.0f, 50.0f, -320.0f);
    expectV3(camera.screenToWorld(0.0f, 0.0f, 0.0f), -220.0f, -190.0f, 0.0f);
    V3 screen = camera.worldToScreen(123.0f, 45.0f, 0.0f);
    expectV3(camera.screenToWorld(screen.x, screen.y, screen.z), 123.0f, 45.0f, 0.0f);
}

TEST_F(CameraTest, EveryContextOwnsACameraThatItsTickPlacesAndQueries) {
    ManualTickSource ticks;
    engine->timeKeeper = new TimeKeeper();
    int liveBefore = int(engine->liveObjects.getNumChildren());
    Context* context = new Context();
    ASSERT_NE(context->camera, nullptr);
    EXPECT_EQ(context->camera->getClass(), &Camera::runtimeClass);
    context->camera->position.x = 33.6f;
    context->camera->target.x = 33.6f;
    context->tick(0.0, 0.0);
    EXPECT_FLOAT_EQ(context->camera->eye.x, 33.0f);
    // No input part: the mouse sits at the screen's bottom-left corner.
    expectV3(context->mouseWorld, 33.6f - 320.0f, -240.0f, 0.0f);

    Context other;
    other.camera->target = V3(100.0f, 0.0f, 0.0f);
    other.camera->position = V3(100.0f, 0.0f, -320.0f);
    // Same screen point: (0, 0) in the context is at the left of other's view.
    expectV3(other.transformPosition(context, 33.6f, 0.0f, 0.0f), 100.0f, 0.0f, 0.0f);

    delete context; // with its camera
    EXPECT_EQ(int(engine->liveObjects.getNumChildren()), liveBefore + 2);
    delete engine->timeKeeper;
    engine->timeKeeper = nullptr;
}

} // namespace
