// Palm trees over the real data: the bending quad's vertices, bends and point
// conversions, a palm's place on its island, its sway, its burn down to a grey
// stump with its smoke and flames, the sounds of its fall, and what a bent
// palm and a stump look like in the window.
#include "render/Camera.h"
#include "app/Global.h"
#include "MatchFixture.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/Random.h"
#include "render/Texture.h"
#include "world/BendQuadV.h"
#include "world/Palm.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "util/PlimMath.h"

#include <SDL_opengl.h>
#include <cmath>
#include <string>

namespace {

using PalmTest = MatchTest;

struct Detail {
    explicit Detail(int value) : saved(gGlobal->saveData.graphicsDetail) { gGlobal->saveData.graphicsDetail = value; }
    ~Detail() { gGlobal->saveData.graphicsDetail = saved; }
    int saved;
};

int countSounds(MatchHarness* run, const char* name) {
    int n = 0;
    for (const std::string& line : run->log.linesOf("sound")) n += line.find(std::string("\t") + name + "\t") != std::string::npos;
    return n;
}

// Draws one renderable alone through the default 640 x 480 view.
void drawAlone(Renderable& object) {
    MatchHarness::setDrawing(true);
    PLIM->graphics->clear(UColor(0, 0, 0, 255));
    Camera view;
    view.render();
    object.render();
    glFinish();
}

// The window pixel under world point (x, y) at depth 0.
UColor worldPixel(float x, float y) {
    uint8_t p[4] = {};
    PLIM->graphics->flush(); // draws still waiting in the batch
    glReadPixels(int(std::lround(320.0f + x)), int(std::lround(240.0f + y)), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return UColor(p[0], p[1], p[2], 255);
}

bool isBlack(UColor c) { return c.r < 8 && c.g < 8 && c.b < 8; }

// A ball that hits palms at a speed.
GameObject* shot(int owner, float vx) {
    auto* ball = new GameObject(owner);
    ball->velocity = V3(vx, 0, 0);
    ball->setEnergy(1.0f);
    return ball;
}

TEST_F(PalmTest, BendingQuadKeepsItsBottomRowAndConvertsPointsBothWays) {
    start();
    BendQuadV quad;
    quad.width = 40;
    quad.height = 100;
    quad.rebuild();
    const Vertex* v = quad.vertexBuffer.pVertices;
    ASSERT_EQ(quad.vertexBuffer.numVertices, 4);
    const float corners[4][2] = {{-20, 50}, {20, 50}, {-20, -50}, {20, -50}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].x, corners[i][0]);
        EXPECT_FLOAT_EQ(v[i].y, corners[i][1]);
    }

    quad.setBend(0.0005f);
    EXPECT_EQ(quad.bend, 0.0f);
    const int writes = PLIM->frameStats[STAT_VERTEX_BUFFER_WRITES];
    quad.setBend(0.0009f);
    quad.setBend(0.0f);
    EXPECT_EQ(PLIM->frameStats[STAT_VERTEX_BUFFER_WRITES], writes);
    quad.setBend(0.5f);
    EXPECT_EQ(PLIM->frameStats[STAT_VERTEX_BUFFER_WRITES], writes + 1);
    // Bent left: the top row moved left and down, the bottom row stayed.
    EXPECT_LT(v[0].x, -20.0f);
    EXPECT_LT(v[0].y, 50.0f);
    EXPECT_FLOAT_EQ(v[2].x, -20.0f);
    EXPECT_FLOAT_EQ(v[3].y, -50.0f);

    Random::seed(11);
    for (int i = 0; i < 200; ++i) {
        const float bend = (World::fraction() - 0.5f) * PI;
        quad.setBend(bend);
        const V3 p((World::fraction() - 0.5f) * 40, (World::fraction() - 0.5f) * 100, 0);
        const V3 back = quad.world2local(quad.local2world(p));
        EXPECT_NEAR(back.x, p.x, 0.05f) << "bend " << bend;
        EXPECT_NEAR(back.y, p.y, 0.05f) << "bend " << bend;
    }
    quad.setBend(0.0f);
    EXPECT_EQ(quad.local2world(V3(3, 4, 0)), V3(3, 4, 0));

    Renderable holder;
    quad.calcRadius(&holder);
    const float k = 100 / (PI / 2);
    EXPECT_NEAR(holder.boundsRadius, std::sqrt(k * k + (20 + k - 50) * (20 + k - 50)), 1e-3f);
}

TEST_F(PalmTest, PalmStandsOnItsIslandAndSwaysWithinItsLimit) {
    GameController* match = start();
    Palm* loose = new Palm(0); // before the island is set
    match->layer(GameController::LAYER_PALMS)->addChild(loose);
    EXPECT_LE(std::fabs(loose->position.x), 125.0f);
    EXPECT_LE(std::fabs(loose->position.y + 5.0f), 60.0f);

    Renderable* island = new Renderable();
    island->position = V3(-400, -20, 0);
    match->layer(GameController::LAYER_ISLANDS)->addChild(island);
    match->playerData[1]->pIsland.set(island);
    {
        Detail low(0);
        Palm* p = new Palm(1);
        match->layer(GameController::LAYER_PALMS)->addChild(p);
        EXPECT_EQ(p->bendSkin()->rows, 8);
        EXPECT_EQ(p->bendSkin()->vertexBuffer.numVertices, 16);
        EXPECT_EQ(p->smokeInterval, Palm::SMOKE_INTERVAL_LOW);
    }
    Palm* palm = new Palm(1);
    match->layer(GameController::LAYER_PALMS)->addChild(palm);
    EXPECT_NEAR(palm->position.x, -400.0f, 125.0f);
    EXPECT_NEAR(palm->position.y, -25.0f, 60.0f);
    EXPECT_EQ(palm->state, Palm::STATE_STANDING);
    EXPECT_EQ(palm->points, 1000);
    EXPECT_EQ(palm->collisionSensitivity, 0.25f);
    EXPECT_EQ(palm->bendSkin()->rows, 16);
    EXPECT_EQ(palm->bendSkin()->bend, std::fabs(palm->lean) < 0.001f ? 0.0f : palm->lean);
    EXPECT_EQ(palm->boundsRadius, 80.0f);
    EXPECT_NEAR(palm->fullHeight, palm->burntHeight + 0.5f * (World::frame(World::frames("palm"), 0)->height /
                                                               float(World::frames("palm")->height)),
                1e-4f);
    EXPECT_GE(palm->bendSkin()->height, 0.7f * 74.0f - 1.0f);
    // The foot is the position.
    EXPECT_EQ(palm->bendSkin()->origin.y, -palm->bendSkin()->height / 2);

    GameObject* ball = shot(0, 300);
    palm->onHit(ball, 0.1f);
    EXPECT_EQ(palm->sway.velocity.x, 192.0f);
    palm->onHit(ball, 0.1f);
    EXPECT_EQ(palm->sway.velocity.x, 192.0f);
    ball->velocity.x = -100;
    palm->onHit(ball, 0.1f);
    EXPECT_NEAR(palm->sway.velocity.x, 192.0f - 100.0f * std::cos(palm->rotation.z), 1e-3f);
    ball->velocity.x = -1000;
    palm->onHit(ball, 0.1f);
    EXPECT_EQ(palm->sway.velocity.x, -192.0f);
    ball->deleteMe();

    // The swing bends the picture and dies away.
    harness->steps(5);
    EXPECT_NE(palm->bendSkin()->bend, palm->lean);
    harness->runSeconds(8.0);
    EXPECT_NEAR(palm->bendSkin()->bend, palm->lean, 0.02f);
}

TEST_F(PalmTest, DestroyedPalmBurnsForASecondAndStaysAGreyStump) {
    GameController* match = start();
    Vehicle* dead = giveVehicle(match, 0);
    dead->energy = 0.0f;
    match->playerData[1]->createPalms(2, false);
    Palm* palm = static_cast<Palm*>(match->playerData[1]->palms[0].get());
    palm->setEnergy(0.5f);
    GameObject* ball = shot(0, 50);
    match->layer(GameController::LAYER_BULLETS)->addChild(ball);

    const int burns = countSounds(harness, "treeBurn"), laughs = countSounds(harness, "nyuck");
    ball->dealDamage(palm, 1.0f);
    EXPECT_EQ(palm->state, Palm::STATE_BURNING);
    EXPECT_FALSE(palm->bDestroyPending);
    EXPECT_EQ(countSounds(harness, "treeBurn"), burns + 1);
    EXPECT_EQ(countSounds(harness, "nyuck"), laughs + 1);

    int smoke = 0, flames = 0;
    for (int frame = 0; frame < 95; ++frame) {
        harness->step();
        for (BasicLink* c = match->layer(GameController::LAYER_SMOKE)->firstChild; c; c = c->next)
            smoke += dynamic_cast<Smoke*>(static_cast<PlimBase*>(c)) && c->prev == nullptr;
        flames += match->layer(GameController::LAYER_BEAMS)->getNumChildren() > 0;
    }
    EXPECT_GT(smoke, 0);
    EXPECT_GT(flames, 0);
    EXPECT_EQ(palm->state, Palm::STATE_BURNING);
    EXPECT_EQ(match->playerData[1]->numPalmsStanding, 2);
    harness->steps(10);
    EXPECT_EQ(palm->state, Palm::STATE_BURNT);
    EXPECT_EQ(palm->burnProgress, 1.0f);
    EXPECT_EQ(match->playerData[1]->numPalmsStanding, 1);
    EXPECT_EQ(palm->color, UColor(128, 128, 128, 255));
    EXPECT_FLOAT_EQ(palm->currentHeight, palm->burntHeight);
    EXPECT_NEAR(palm->bendSkin()->uvRect.bottom - palm->bendSkin()->uvRect.top, palm->burntHeight, 1e-5f);
    harness->steps(20);
    EXPECT_EQ(palm->state, Palm::STATE_BURNT);
    EXPECT_EQ(match->playerData[1]->numPalmsStanding, 1);
    EXPECT_EQ(palm->parent, match->layer(GameController::LAYER_PALMS));

    // The second palm: a player with a live vehicle, then one with none.
    Palm* other = static_cast<Palm*>(match->playerData[1]->palms[1].get());
    dead->energy = 1.0f;
    other->setEnergy(0.01f);
    ball->dealDamage(other, 1.0f);
    EXPECT_EQ(countSounds(harness, "nyuck"), laughs + 1);
    match->playerData[0]->pVehicle.set(nullptr);
    Palm* third = new Palm(1);
    match->layer(GameController::LAYER_PALMS)->addChild(third);
    ball->dealDamage(third, 1.0f);
    EXPECT_EQ(third->state, Palm::STATE_BURNING);
    EXPECT_EQ(countSounds(harness, "nyuck"), laughs + 1);
    EXPECT_EQ(countSounds(harness, "treeBurn"), burns + 3);
}

TEST_F(PalmTest, BentPalmAndBurntStumpInTheWindow) {
    start();
    Palm palm(0);
    palm.position = V3(0, -60, 0);
    palm.rotation.z = 0;
    palm.lean = 0;
    palm.bendSkin()->setBend(0.0f);
    palm.updateVisuals();
    const float h = palm.bendSkin()->height;
    // A trunk point at a third of the height, and the crown.
    const V3 trunk(0, -h / 2 + h / 3, 0);
    const V3 straightTrunk = palm.local2world(trunk);
    drawAlone(palm);
    const UColor wood = worldPixel(straightTrunk.x, straightTrunk.y);
    EXPECT_FALSE(isBlack(wood));
    EXPECT_GT(wood.r, wood.b);
    EXPECT_TRUE(isBlack(worldPixel(straightTrunk.x - 14, straightTrunk.y))); // beside the trunk

    palm.bendSkin()->setBend(1.2f);
    palm.updateVisuals();
    const V3 bentTrunk = palm.local2world(trunk);
    EXPECT_LT(bentTrunk.x, straightTrunk.x - 3);
    drawAlone(palm);
    const UColor bentWood = worldPixel(bentTrunk.x, bentTrunk.y);
    EXPECT_FALSE(isBlack(bentWood));
    EXPECT_GT(bentWood.r, bentWood.b);
    EXPECT_TRUE(isBlack(worldPixel(straightTrunk.x + 6, straightTrunk.y)));

    // Burnt: the same wood at half brightness, grey-tinted, and no crown.
    palm.bendSkin()->setBend(0.0f);
    palm.updateVisuals();
    const V3 crown = palm.local2world(V3(2, h / 2 - 8, 0));
    drawAlone(palm);
    EXPECT_FALSE(isBlack(worldPixel(crown.x, crown.y)));
    palm.onDestroyed(nullptr);
    for (int i = 0; i < 110; ++i) palm.tick(0.0, 0.01);
    ASSERT_EQ(palm.state, Palm::STATE_BURNT);
    palm.updateVisuals();
    drawAlone(palm);
    const UColor stump = worldPixel(straightTrunk.x, straightTrunk.y);
    EXPECT_NEAR(stump.r, wood.r * 128 / 255, 4);
    EXPECT_NEAR(stump.g, wood.g * 128 / 255, 4);
    EXPECT_NEAR(stump.b, wood.b * 128 / 255, 4);
    EXPECT_TRUE(isBlack(worldPixel(crown.x, crown.y)));
}

} // namespace
