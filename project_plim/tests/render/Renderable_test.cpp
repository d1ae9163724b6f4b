// Renderables without a window: the transform product, bounds, culling against
// the current context's camera and its counters, point and circle queries,
// skin ownership, and the replicated properties.
#include "render/Camera.h"
#include "core/Context.h"
#include "EngineTestFolder.h"
#include "serial/Packet.h"
#include "core/Plim.h"
#include "core/PropertyContainer.h"
#include "render/Renderable.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "util/PlimMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class RenderableTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = new Plim(Plim::Bare{});
        context = new Context();
        engine->currentContext = context;
        skin = new Skin();
        skin->width = 40.0f;
        skin->height = 20.0f;
    }
    void TearDown() override {
        delete skin;
        delete context;
        delete engine;
        PLIM = nullptr;
    }
    int stat(int which) const { return engine->frameStats[which]; }

    Plim* engine = nullptr;
    Context* context = nullptr;
    Skin* skin = nullptr;
};

void expectNear(const V3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-3f);
    EXPECT_NEAR(v.y, y, 1e-3f);
    EXPECT_NEAR(v.z, z, 1e-3f);
}

TEST_F(RenderableTest, TransformAppliesScaleRotationPostScaleAndPostMatrixAroundTheOrigin) {
    skin->setOrigin(7); // top left of the 40 x 20 rectangle
    Renderable r;
    V3 position(100.0f, 50.0f, 0.0f), rotation(0.0f, 0.0f, HALF_PI), scale(2.0f, 2.0f, 1.0f);
    r.setup(skin, &position, &rotation, &scale);
    // The origin sits on the position; the top right corner is 80 units along
    // local x, which the quarter turn points up.
    expectNear(r.local2world(V3(-20.0f, 10.0f, 0.0f)), 100.0f, 50.0f, 0.0f);
    expectNear(r.local2world(V3(20.0f, 10.0f, 0.0f)), 100.0f, 130.0f, 0.0f);

    r.setPostScale(V3(1.0f, 0.5f, 1.0f)); // after the rotation: halves world y offsets
    expectNear(r.local2world(V3(20.0f, 10.0f, 0.0f)), 100.0f, 90.0f, 0.0f);

    Matrix shift;
    shift[12] = 1000.0f;
    r.setPostXform(shift);
    expectNear(r.local2world(V3(20.0f, 10.0f, 0.0f)), 1100.0f, 90.0f, 0.0f);
}

TEST_F(RenderableTest, RotationsAboutXAndYFoldTheSkinPlane) {
    Renderable r;
    V3 rotation(0.0f, HALF_PI, 0.0f);
    r.setup(skin, nullptr, &rotation, nullptr);
    expectNear(r.local2world(V3(10.0f, 0.0f, 0.0f)), 0.0f, 0.0f, -10.0f);
    r.rotation = V3(HALF_PI, 0.0f, 0.0f);
    r.updateVisuals();
    expectNear(r.local2world(V3(0.0f, 10.0f, 0.0f)), 0.0f, 0.0f, 10.0f);
}

TEST_F(RenderableTest, BoundsFollowTheSkinCornerAndSetupKeepsFields) {
    Renderable r;
    EXPECT_EQ(r.visualsFrame, -1);
    engine->frameCount = 7;
    V3 position(5.0f, 6.0f, 0.0f);
    r.setup(skin, &position, nullptr, nullptr);
    EXPECT_EQ(r.visualsFrame, 7);
    EXPECT_EQ(stat(STAT_VISUAL_UPDATES), 1);
    expectNear(r.boundsCenter, 5.0f, 6.0f, 0.0f);
    EXPECT_NEAR(r.boundsRadius, std::sqrt(20.0f * 20.0f + 10.0f * 10.0f), 1e-4f);

    r.setup(nullptr, nullptr, nullptr, nullptr); // a null skin keeps the skin
    EXPECT_EQ(r.pSkin, skin);
    Renderable bare; // never had a skin: radius 0, nothing inside
    bare.updateVisuals();
    EXPECT_EQ(bare.boundsRadius, 0.0f);
    EXPECT_FALSE(bare.isPointInsideBounds(V3()));
    EXPECT_FALSE(bare.isPointInside(V3()));
    r.scale.z = 7.0f;
    r.setScaleXY(3.0f);
    EXPECT_EQ(r.scale.z, 7.0f);
    EXPECT_NEAR(r.boundsRadius, 3.0f * std::sqrt(500.0f), 1e-3f);
}

TEST_F(RenderableTest, CullingAgainstTheCameraCountsConsideredAndDrawnObjects) {
    Renderable r;
    r.pSkin = skin;
    r.boundsRadius = 10.0f;
    // The visible rectangle at depth 0 is -320..320 by -240..240.
    // Touching the rectangle counts as visible.
    struct Case { float x, y; bool visible; } cases[] = {
        {330.0f, 0.0f, true}, {-330.0f, 0.0f, true}, {0.0f, 250.0f, true}, {0.0f, -250.0f, true},
        {330.1f, 0.0f, false}, {-330.5f, 0.0f, false}, {0.0f, 250.5f, false}, {0.0f, -250.5f, false},
    };
    int drawn = 0;
    for (const Case& c : cases) {
        r.boundsCenter = V3(c.x, c.y, 0.0f);
        r.render();
        EXPECT_EQ(r.bVisible, c.visible) << c.x << ", " << c.y;
        drawn += c.visible;
    }
    EXPECT_EQ(stat(STAT_RENDERABLES), 8);
    EXPECT_EQ(stat(STAT_RENDERABLES_DRAWN), drawn);

    r.bHidden = true; // not even considered
    r.render();
    EXPECT_EQ(stat(STAT_RENDERABLES), 8);
    r.bHidden = false;
    r.bSkipVisibility = true; // never culled
    r.boundsCenter = V3(5000.0f, 0.0f, 0.0f);
    r.render();
    EXPECT_TRUE(r.bVisible);

    // A deeper object sees a wider rectangle; a moved camera moves it.
    r.bSkipVisibility = false;
    r.boundsCenter = V3(600.0f, 0.0f, 320.0f);
    r.render();
    EXPECT_TRUE(r.bVisible);
    context->camera->target.x = 2000.0f;
    r.render();
    EXPECT_FALSE(r.bVisible);
}

TEST_F(RenderableTest, PointQueriesUseTheSkinRectangleAndStrictCircles) {
    Renderable r;
    r.bHasInvXform = true;
    V3 position(100.0f, 0.0f, 0.0f), rotation(0.0f, 0.0f, HALF_PI);
    r.setup(skin, &position, &rotation, nullptr);
    EXPECT_EQ(stat(STAT_INVERSE_TRANSFORMS), 1);
    // Rotated a quarter turn, the 40 x 20 rectangle stands 20 wide and 40 high.
    EXPECT_TRUE(r.isPointInside(V3(100.0f, 19.0f, 0.0f)));
    EXPECT_TRUE(r.isPointInside(V3(109.0f, 0.0f, 0.0f)));
    EXPECT_FALSE(r.isPointInside(V3(119.0f, 0.0f, 0.0f)));
    expectNear(r.world2local(V3(100.0f, 20.0f, 0.0f)), 20.0f, 0.0f, 0.0f);

    float radius = r.boundsRadius;
    EXPECT_FALSE(r.isPointInsideBounds(V3(100.0f + radius, 0.0f, 0.0f))); // on the circle: outside
    EXPECT_TRUE(r.isPointInsideBounds(V3(100.0f + radius * 0.999f, 0.0f, 0.0f)));
    r.collisionSensitivity = 0.5f;
    EXPECT_FALSE(r.isPointInsideCollisionBounds(V3(100.0f + radius * 0.6f, 0.0f, 0.0f)));
    EXPECT_TRUE(r.isPointInsideCollisionBounds(V3(100.0f + radius * 0.4f, 0.0f, 0.0f)));
}

TEST_F(RenderableTest, MouseInsideUsesTheContextsMouseAndNeedsTheInverse) {
    Renderable* r = new Renderable();
    context->addChild(r);
    r->setup(skin, nullptr, nullptr, nullptr);
    context->mouseWorld = V3(5.0f, 5.0f, 0.0f);
    EXPECT_FALSE(r->isMouseInside()); // no inverse kept
    r->bHasInvXform = true;
    r->updateVisuals();
    EXPECT_TRUE(r->isMouseInside());
    context->mouseWorld = V3(25.0f, 5.0f, 0.0f);
    EXPECT_FALSE(r->isMouseInside());
    r->bSkipVisibility = true;
    context->mouseWorld = V3(0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(r->isMouseInside());
}

TEST_F(RenderableTest, CollisionsScaleEachRadiusAndAreCounted) {
    Renderable a, b;
    a.boundsRadius = 10.0f;
    b.boundsRadius = 10.0f;
    b.boundsCenter = V3(15.0f, 0.0f, 0.0f);
    EXPECT_TRUE(a.collide(&b));
    b.collisionSensitivity = 0.5f; // 10 + 5 = 15: touching is no collision
    EXPECT_FALSE(a.collide(&b));
    EXPECT_TRUE(a.boundsIntersecting(&b));
    b.boundsCenter = V3(0.0f, 0.0f, 20.0f); // distances are 3-D
    EXPECT_FALSE(a.boundsIntersecting(&b));
    EXPECT_EQ(stat(STAT_COLLISIONS), 2);
}

TEST_F(RenderableTest, OwnedSkinsDieWithTheObjectSharedOnesSurvive) {
    int live = int(engine->liveObjects.getNumChildren());
    {
        Renderable r;
        r.pSkin = new Skin();
        r.bOwnsSkin = true;
    }
    EXPECT_EQ(int(engine->liveObjects.getNumChildren()), live);
    {
        Renderable r;
        r.pSkin = skin;
    }
    EXPECT_EQ(skin->width, 40.0f); // still alive
    Renderable r;
    r.pSkin = new Skin();
    r.deleteSkin(); // whatever bOwnsSkin says
    EXPECT_EQ(r.pSkin, nullptr);
    EXPECT_EQ(int(engine->liveObjects.getNumChildren()), live + 1);
}

std::vector<std::string> propertyNames(Renderable& r) {
    PropertyContainer* container = r.createPropertyContainer();
    std::vector<std::string> names;
    for (BasicLink* link = container->firstChild; link; link = link->next) {
        Property* p = static_cast<Property*>(link);
        std::string name = p->name.c_str();
        for (BasicLink* sub = p->firstChild; sub && name != "StateBase"; sub = sub->next)
            name += std::string(" ") + static_cast<Property*>(sub)->name.c_str();
        names.push_back(name);
    }
    delete container;
    return names;
}

TEST_F(RenderableTest, PropertiesComeInOrderAndOwnedSkinsAreNotNamed) {
    Renderable r;
    std::vector<std::string> expected = {"objectUID", "StateBase", "collisionSensitivity", "position x y z",
                                         "rotation x y z", "scale x y z", "color", "pSkin"};
    EXPECT_EQ(propertyNames(r), expected);
    r.bOwnsSkin = true;
    expected.pop_back();
    EXPECT_EQ(propertyNames(r), expected);
}

TEST_F(RenderableTest, ReadingAPacketRecomputesTheTransformWritingLeavesIt) {
    engine->resourceManager = new ResourceManager();
    engine->resourceManager->addResource("box", skin);
    Renderable source;
    source.pSkin = skin;
    source.position = V3(12.0f, 34.0f, 0.0f);
    source.color = UColor(1, 2, 3, 4);
    Packet packet;
    source.netSerialize(&packet);
    EXPECT_EQ(source.xform[12], 0.0f); // not recomputed by writing
    EXPECT_EQ(stat(STAT_VISUAL_UPDATES), 0);

    packet.rewindToRead();
    Renderable copy;
    copy.netSerialize(&packet);
    EXPECT_FALSE(packet.hasError());
    EXPECT_EQ(copy.pSkin, skin);
    EXPECT_EQ(copy.color, UColor(1, 2, 3, 4));
    expectNear(copy.boundsCenter, 12.0f, 34.0f, 0.0f);
    EXPECT_NEAR(copy.boundsRadius, std::sqrt(500.0f), 1e-4f);
    delete engine->resourceManager;
    engine->resourceManager = nullptr;
}

TEST_F(RenderableTest, MisusedQueriesAreFatal) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Renderable a, b;
    b.bSkipVisibility = true;
    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            a.world2local(V3());
        },
        "Assertion failed.\n Statement: bHasInvXform");
    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            a.collide(&b);
        },
        "Statement: !bSkipVisibility && !other->bSkipVisibility");
    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            b.isPointInsideBounds(V3());
        },
        "Statement: !bSkipVisibility");
    EXPECT_DEATH(
        {
            EngineTestFolder::routeStdoutToStderr();
            a.bHasInvXform = true;
            a.scale = V3(0.0f, 1.0f, 1.0f);
            a.updateVisuals();
        },
        "Matrix inversion failed.");
}

} // namespace
