// World maths without a match: angles, ballistic prediction, the motion step
// with the water line and off-screen removal, the point mass and the spring,
// the messenger's fade and the pure colours.
#include "BareEngineTest.h"
#include "render/Camera.h"
#include "core/Context.h"
#include "core/Plim.h"
#include "util/Random.h"
#include "app/MyGlobal.h"
#include "modes/Messenger.h"
#include "world/GameObject.h"
#include "world/Physics.h"
#include "world/Spring.h"
#include "util/PlimMath.h"

#include <cmath>
#include <set>

namespace {

class CountingObject : public GameObject {
public:
    CountingObject() : GameObject(-1) {}
    void onEnterWater() override { ++splashes; }
    int splashes = 0;
};

using WorldMathsTest = BareEngineTest;

TEST_F(WorldMathsTest, AnglesTakeTheShortWay) {
    EXPECT_EQ(GameObject::turnDirection(0.1f, 6.2f), -1);
    EXPECT_NEAR(GameObject::angleDelta(0.1f, 6.2f), -0.1832f, 1e-4f);
    EXPECT_EQ(GameObject::turnDirection(6.2f, 0.1f), 1);
    EXPECT_EQ(GameObject::turnDirection(1.0f, 1.0f + TWO_PI), 0);
    EXPECT_EQ(GameObject::turnDirection(-0.5f, 0.5f), 1);
    // Exactly pi apart: the sign comes from the order.
    EXPECT_FLOAT_EQ(GameObject::angleDelta(0.0f, PI), -PI);
    EXPECT_FLOAT_EQ(GameObject::angleDelta(PI, 0.0f), PI);
    EXPECT_FLOAT_EQ(GameObject::wrapAngle(-PI / 2.0f), 1.5f * PI);
    EXPECT_FLOAT_EQ(GameObject::wrapAngle(1.0e9f), GameObject::wrapAngle(1.0e9f)); // ends, stays finite
    EXPECT_EQ(GameObject::wrapAngle(NAN), 0.0f);
}

TEST_F(WorldMathsTest, BallisticPredictionIsAlwaysFinite) {
    GameObject shell(-1);
    shell.position = V3(10.0f, 100.0f, 0.0f);
    shell.velocity = V3(20.0f, 0.0f, 0.0f);
    shell.acceleration = V3(0.0f, -128.0f, 0.0f);
    // 100 = 64 t^2 on the falling branch.
    EXPECT_NEAR(shell.timeToHeight(0.0f), 1.25f, 1e-5f);
    EXPECT_NEAR(shell.xAtHeight(0.0f), 35.0f, 1e-4f);
    // Never as high as 200: the apex time (here 0: it is at the top).
    EXPECT_EQ(shell.timeToHeight(200.0f), 0.0f);
    shell.velocity.y = 64.0f;
    EXPECT_NEAR(shell.timeToHeight(1000.0f), 0.5f, 1e-6f);
    // No gravity: straight line, or 0 when it does not move up or down.
    shell.acceleration = V3(0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(shell.timeToHeight(164.0f), 1.0f, 1e-6f);
    shell.velocity.y = 0.0f;
    EXPECT_EQ(shell.timeToHeight(0.0f), 0.0f);
    EXPECT_TRUE(std::isfinite(shell.xAtHeight(-500.0f)));
}

TEST_F(WorldMathsTest, StepCrossesTheWaterLineOncePerDescent) {
    CountingObject bomb;
    bomb.bRemoveOffWorld = false;
    bomb.position = V3(0.0f, -20.0f, 0.0f);
    bomb.velocity = V3(0.0f, -1000.0f, 0.0f);
    bomb.step(0.01); // -20 to -30
    EXPECT_FLOAT_EQ(bomb.position.y, -30.0f);
    EXPECT_EQ(bomb.splashes, 1);
    bomb.step(0.01);
    EXPECT_EQ(bomb.splashes, 1);
    bomb.velocity.y = 2000.0f;
    bomb.step(0.01); // up to -10
    bomb.velocity.y = -2000.0f;
    bomb.step(0.01);
    EXPECT_EQ(bomb.splashes, 2);

    // Semi-implicit: the new velocity moves the object; orienting follows it.
    GameObject shell(-1);
    shell.bRemoveOffWorld = false;
    shell.bOrientToVelocity = true;
    shell.velocity = V3(100.0f, 0.0f, 0.0f);
    shell.acceleration = V3(0.0f, -100.0f, 0.0f);
    shell.step(1.0);
    EXPECT_FLOAT_EQ(shell.position.y, -100.0f);
    EXPECT_FLOAT_EQ(shell.heading, -PI / 4.0f);
    EXPECT_FLOAT_EQ(shell.rotation.z, shell.heading);
}

TEST_F(WorldMathsTest, OnlyObjectsLeavingTheViewAreRemoved) {
    Context view;
    PLIM->currentContext = &view;
    const float left = view.camera->getVisibleRect(0.0f).left;

    GameObject leaving(0), returning(0), drawn(0);
    for (GameObject* o : {&leaving, &returning, &drawn}) o->position = V3(left - 50.0f, 0.0f, 0.0f);
    leaving.velocity.x = -10.0f;
    returning.velocity.x = 10.0f;
    drawn.velocity.x = -10.0f;
    leaving.bVisible = returning.bVisible = false;
    drawn.bVisible = true; // still flagged visible by the last draw
    for (GameObject* o : {&leaving, &returning, &drawn}) o->step(0.01);
    EXPECT_TRUE(leaving.bDestroyPending);
    EXPECT_FALSE(returning.bDestroyPending);
    EXPECT_FALSE(drawn.bDestroyPending);

    GameObject falling(-1);
    falling.position = V3(0.0f, view.camera->getVisibleRect(0.0f).bottom - 1.0f, 0.0f);
    falling.velocity.y = -1.0f;
    falling.bVisible = false;
    falling.step(0.01);
    EXPECT_TRUE(falling.bDestroyPending);
    PLIM->currentContext = nullptr;
}

TEST_F(WorldMathsTest, PointMassStepsDragAndLimit) {
    Physics still;
    still.previousPosition = V3(5.0f, 5.0f, 5.0f);
    still.tick(0.0, 0.01);
    EXPECT_EQ(still.position, V3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(still.previousPosition, V3(5.0f, 5.0f, 5.0f));

    Physics slow;
    slow.drag = 10.0f;
    slow.velocity = V3(0.05f, 0.0f, 0.0f);
    slow.tick(0.0, 0.01);
    EXPECT_EQ(slow.velocity, V3(0.0f, 0.0f, 0.0f)); // stopped, not reversed

    Physics pushed;
    pushed.force = V3(10.0f, 0.0f, 0.0f);
    pushed.mass = 2.0f;
    pushed.tick(0.0, 0.5);
    EXPECT_EQ(pushed.acceleration, V3(5.0f, 0.0f, 0.0f));
    EXPECT_EQ(pushed.velocity, V3(2.5f, 0.0f, 0.0f));
    EXPECT_EQ(pushed.position, V3(1.25f, 0.0f, 0.0f));
    EXPECT_EQ(pushed.force, V3(0.0f, 0.0f, 0.0f));

    Physics fast;
    fast.velocity = V3(3000.0f, 4000.0f, 0.0f);
    fast.tick(0.0, 0.01);
    EXPECT_EQ(fast.velocity, V3(3000.0f, 4000.0f, 0.0f)); // far below the default limit
    fast.maxSpeed = 500.0f;
    fast.tick(0.0, 0.01);
    // Each component times limit^2 / speed^2 (1/100).
    EXPECT_NEAR(fast.velocity.x, 30.0f, 1e-3f);
    EXPECT_NEAR(fast.velocity.y, 40.0f, 1e-3f);
}

TEST_F(WorldMathsTest, SpringPullsBackWithDamping) {
    Spring spring;
    spring.mass = 0.01f;
    spring.position = V3(10.0f, 0.0f, 0.0f);
    spring.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(spring.acceleration.x, -1000.0f);
    EXPECT_FLOAT_EQ(spring.velocity.x, -10.0f);
    EXPECT_FLOAT_EQ(spring.position.x, 9.9f);

    Spring damped;
    damped.damping = 2.0f;
    damped.velocity = V3(100.0f, 0.0f, 0.0f);
    damped.tick(0.0, 0.016); // at the anchor: only the damping acts
    EXPECT_NEAR(damped.velocity.x, 96.8f, 1e-4f);

    Spring over;
    over.damping = 200.0f;
    over.velocity = V3(100.0f, 0.0f, 0.0f);
    over.tick(0.0, 0.01);
    EXPECT_EQ(over.velocity, V3(0.0f, 0.0f, 0.0f));
}

TEST_F(WorldMathsTest, MessengerFadesInAndOut) {
    Messenger line(nullptr, UColor(255, 255, 255, 255), 100);
    line.fadeTime = 0.25;
    EXPECT_FALSE(line.isShowing());
    line.setMessage("round 1 of 10", 0.3);
    EXPECT_EQ(line.colour.a, 0);
    line.tick(0.0, 0.125);
    EXPECT_EQ(line.colour.a, 127);
    line.tick(0.0, 0.125);
    EXPECT_EQ(line.colour.a, 51); // fade-out rule from 0.25 s on
    line.tick(0.0, 1.0);
    EXPECT_FALSE(line.isShowing());

    line.setMessage("time!", 3.0);
    line.tick(0.0, 1.0);
    EXPECT_EQ(line.colour.a, 255);
    EXPECT_EQ(line.shadowAlpha(), 63);
    line.tick(0.0, 1.875);
    EXPECT_EQ(line.colour.a, 127);
    line.setMessage("again", 3.0); // restarts from nothing
    EXPECT_EQ(line.colour.a, 0);
    line.colour.a = 2;
    EXPECT_EQ(line.shadowAlpha(), 0);

    line.setMessage("never", 0.0);
    EXPECT_FALSE(line.isShowing());
    line.fadeTime = 0.0; // no fade: shown at full strength
    line.setMessage("plain", 1.0);
    line.tick(0.0, 0.5);
    EXPECT_EQ(line.colour.a, 255);
}

TEST_F(WorldMathsTest, PureColoursAreTheSixMixes) {
    Random::seed(7);
    std::set<uint32_t> seen;
    for (int i = 0; i < 600; ++i) {
        const UColor c = MyGlobal::randomPureColour();
        EXPECT_EQ(c.a, 255);
        for (uint8_t channel : {c.r, c.g, c.b}) EXPECT_TRUE(channel == 0xFF || channel == 0x80);
        EXPECT_FALSE(c.r == c.g && c.g == c.b);
        seen.insert(c.toU32());
    }
    EXPECT_EQ(seen.size(), 6u);

}

} // namespace
