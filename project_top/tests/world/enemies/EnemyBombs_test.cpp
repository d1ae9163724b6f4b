// Propelled bombs and torpedoes in a scripted match: the bomb's hover, aim
// and its error by distance, climbing out of a dive into the sea, its frame
// swing, the wreck after a shot (push, fall, spin, one score, splash); the
// torpedo's arc onto its palm (also a palm above the arc's reach, and no palm
// or island at all), its harmless climb, its exit splash and its toughness.
#include "EnemyFixture.h"
#include "PoseChecks.h"
#include "EnemyScenarios.h"
#include "util/Random.h"
#include "audio/Sound.h"
#include "render/Texture.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Splash.h"
#include "world/enemies/PropelledBomb.h"
#include "world/enemies/Torpedo.h"
#include "world/enemies/TorpedoBlack.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

using PropelledBombTest = EnemyTest;

TEST_F(PropelledBombTest, HoversASecondThenHeadsForItsPalm) {
    startMatch();
    Palm* palm = island(0.0f, -20.0f, {30.0f})[0];
    const size_t mark = soundMark();
    PropelledBomb* bomb = enter(new PropelledBomb(), 0.0f, 1);
    EXPECT_EQ(soundsSince(mark), std::vector<std::string>{"propelledBombEntry"});
    EXPECT_EQ(bomb->targetPalm.get(), palm);
    EXPECT_EQ(bomb->speed, 32.0f);
    EXPECT_EQ(bomb->points, 250);
    EXPECT_EQ(bomb->energy, 0.2f);
    EXPECT_TRUE(bomb->bHitsPalms);
    EXPECT_EQ(bomb->state, PropelledBomb::STATE_FLYING);
    const V3 start = bomb->position;
    for (int i = 0; i < 99; ++i) bomb->tick(0.0, 0.01);
    EXPECT_EQ(bomb->position.x, start.x);
    EXPECT_EQ(bomb->position.y, start.y);
    bomb->tick(0.0, 0.01);
    const V3 d = palm->boundsCenter - bomb->position;
    EXPECT_NEAR(bomb->heading, std::atan2(d.y, d.x), 1e-5f);
    EXPECT_NEAR(std::hypot(bomb->velocity.x, bomb->velocity.y), 32.0f, 1e-4f);
    EXPECT_NEAR(bomb->rotation.z, -bomb->velocity.x / 64.0f, 1e-6f);
    EXPECT_EQ(bomb->overlay.rotation.z, bomb->rotation.z);

    // Difficulty 1: 64, exact at 128 units, within 3 pi / 8 at 512.
    PropelledBomb* hard = enter(new PropelledBomb(), 1.0f, 1);
    EXPECT_EQ(hard->speed, 64.0f);
    float widest = 0.0f;
    for (int i = 0; i < 200; ++i) {
        for (float distance : {128.0f, 512.0f}) {
            const float around = 2.0f * PI * float(i) / 200.0f;
            hard->position = palm->boundsCenter + V3(distance * std::cos(around), distance * std::sin(around), 0.0f);
            hard->steer();
            const float exact = std::atan2(-std::sin(around), -std::cos(around));
            const float error = std::fabs(angleBetween(hard->heading, exact));
            if (distance == 128.0f)
                EXPECT_LT(error, 1e-4f);
            else
                widest = std::fmax(widest, error);
        }
    }
    EXPECT_LE(widest, 3.0f * PI / 8.0f + 1e-4f);
    EXPECT_GT(widest, PI / 4.0f);

    // Entering from the top or a side by tint; 255 stays where it was put.
    PropelledBomb* placed = new PropelledBomb();
    placed->position = V3(12.0f, 34.0f, 0.0f);
    enter(placed, 1.0f, PropelledBomb::TINT_PLACED_BY_CREATOR);
    EXPECT_EQ(placed->position.x, 12.0f);
    EXPECT_EQ(placed->position.y, 34.0f);
}

TEST_F(PropelledBombTest, ClimbsInsteadOfDivingIntoTheSeaAndAimsAtTheIslandWithoutPalms) {
    startMatch();
    PropelledBomb* bomb = enter(new PropelledBomb());
    EXPECT_EQ(bomb->targetPalm.get(), nullptr);
    bomb->position = V3(300.0f, 400.0f, 0.0f);
    bomb->steer();
    EXPECT_NEAR(bomb->heading, std::atan2(-400.0f, -300.0f), 1e-5f); // at (0, 0)

    island(-100.0f, -300.0f, {});
    bomb->position = V3(-100.0f, -10.0f, 0.0f);
    bomb->steer();
    EXPECT_NEAR(bomb->velocity.y, 32.0f, 1e-4f);
    EXPECT_NEAR(bomb->velocity.x, 0.0f, 1e-4f);
    bomb->position = V3(-100.0f, 100.0f, 0.0f);
    bomb->steer();
    EXPECT_NEAR(bomb->velocity.y, -32.0f, 1e-4f);
}

TEST_F(PropelledBombTest, BodySwingsBetweenEightAndTwentyThreeAndTheRotorRunsRound) {
    startMatch();
    for (int i = 0; i < 50; ++i) {
        PropelledBomb made;
        EXPECT_GE(made.bodyFrame, 8);
        EXPECT_LE(made.bodyFrame, 22);
        EXPECT_GE(made.rotation.z, -0.5f);
        EXPECT_LT(made.rotation.z, 0.5f);
    }
    PropelledBomb* bomb = enter(new PropelledBomb());
    bomb->bodyFrame = 8;
    bomb->frameStep = 1;
    bomb->steerInterval = 1e9;
    std::vector<int> body, rotor;
    for (int i = 0; i < 32; ++i) {
        bomb->tick(0.0, 0.025);
        body.push_back(skinIndex(bomb->frames, bomb->pSkin));
        rotor.push_back(skinIndex(bomb->frames, bomb->overlay.pSkin));
    }
    std::vector<int> swing, round;
    for (int f = 9; f <= 23; ++f) swing.push_back(f);
    for (int f = 22; f >= 8; --f) swing.push_back(f);
    swing.push_back(9);
    swing.push_back(10);
    for (int i = 0; i < 32; ++i) round.push_back((i + 1) % 8);
    EXPECT_EQ(body, swing);
    EXPECT_EQ(rotor, round);
}

TEST_F(PropelledBombTest, AShotLeavesAFallingSpinningWreckThatScoresOnceAndSplashes) {
    startMatch();
    PropelledBomb* bomb = enter(new PropelledBomb());
    bomb->position = V3(0.0f, 150.0f, 0.0f);
    bomb->velocity = V3(32.0f, 0.0f, 0.0f);
    bomb->steerInterval = 1e9;
    const size_t mark = soundMark();
    Shooter fromLeft(0, V3(400.0f, 0.0f, 0.0f));
    fromLeft.dealDamage(bomb, 1.0f);
    EXPECT_FALSE(bomb->bDestroyPending);
    EXPECT_EQ(bomb->state, PropelledBomb::STATE_WRECK);
    EXPECT_FALSE(bomb->bHitsPalms);
    EXPECT_EQ(bomb->velocity.x, 32.0f + 100.0f);
    EXPECT_EQ(bomb->acceleration.y, -128.0f);
    EXPECT_NEAR(bomb->spinRate, 8.0f * PI, 1e-4f);
    EXPECT_EQ(match->playerData[0]->score, 250);
    EXPECT_EQ(soundsSince(mark), std::vector<std::string>{"explosionShort"});
    Explosion* blast = lastOf<Explosion>(layer(GameController::LAYER_FIREWORKS));
    ASSERT_NE(blast, nullptr);
    EXPECT_EQ(blast->count, 6 * World::detail() + 4);

    // A second hit: pushed and spun the other way, no score.
    Shooter fromRight(0, V3(-40.0f, 0.0f, 0.0f));
    fromRight.dealDamage(bomb, 1.0f);
    EXPECT_EQ(bomb->velocity.x, 132.0f - 10.0f);
    EXPECT_NEAR(bomb->spinRate, -8.0f * PI, 1e-4f);
    EXPECT_EQ(match->playerData[0]->score, 250);

    const float turned = bomb->rotation.z;
    bomb->tick(0.0, 0.01);
    EXPECT_NEAR(bomb->rotation.z, turned - 8.0f * PI * 0.01f, 1e-4f);
    EXPECT_LT(bomb->velocity.y, 0.0f);
    const int frame = skinIndex(bomb->frames, bomb->pSkin);
    bomb->tick(0.0, 0.1);
    EXPECT_EQ(skinIndex(bomb->frames, bomb->pSkin), frame); // no swing once wrecked

    bomb->velocity = V3(0.0f, -50.0f, 0.0f);
    bomb->position = V3(0.0f, -24.8f, 0.0f);
    const size_t splashMark = soundMark();
    bomb->tick(0.0, 0.01);
    EXPECT_TRUE(bomb->bDestroyPending);
    EXPECT_EQ(soundsSince(splashMark), std::vector<std::string>{"smallSplash"});
    EXPECT_EQ(match->playerData[0]->score, 250);
}

using TorpedoTest = EnemyTest;

// Steps the torpedo until it falls below the height; the x there.
float landingX(Torpedo* torpedo, float height, double dt) {
    for (int i = 0; i < 1000000; ++i) {
        const float x = torpedo->position.x, y = torpedo->position.y;
        torpedo->step(dt);
        if (torpedo->velocity.y < 0.0f && torpedo->position.y <= height) {
            const float t = (y - height) / (y - torpedo->position.y);
            return x + t * (torpedo->position.x - x);
        }
    }
    return NAN;
}

TEST_F(TorpedoTest, ItsArcComesDownOnThePalmsX) {
    startMatch();
    Palm* palm = island(0.0f, -20.0f, {50.0f})[0];
    const V3 centre = palm->boundsCenter;
    Torpedo* torpedo = enter(new Torpedo());
    EXPECT_EQ(torpedo->position.y, -25.0f);
    EXPECT_GE(torpedo->velocity.y, 125.0f);
    EXPECT_LE(torpedo->velocity.y, 250.0f);
    EXPECT_NEAR(torpedo->xAtHeight(centre.y), centre.x, 0.01f);

    // 200 left of the palm at 250 up.
    torpedo->bRemoveOffWorld = false;
    torpedo->position = V3(centre.x - 200.0f, -25.0f, 0.0f);
    torpedo->launchAt(centre, 250.0f);
    EXPECT_EQ(torpedo->velocity.y, 250.0f);
    EXPECT_NEAR(landingX(torpedo, centre.y, 0.0005), centre.x, 1.0f);

    // A palm centre above the arc's top: the launch is raised to reach it.
    const V3 high(centre.x, 600.0f, 0.0f);
    torpedo->position = V3(centre.x - 200.0f, -25.0f, 0.0f);
    torpedo->launchAt(high, 125.0f);
    EXPECT_NEAR(torpedo->velocity.y, std::sqrt(2.0f * 64.0f * 625.0f), 0.01f);
    EXPECT_TRUE(std::isfinite(torpedo->velocity.x));
    EXPECT_GT(torpedo->velocity.x, 0.0f);
    float apexX = NAN;
    for (int i = 0; i < 100000 && torpedo->velocity.y > 0.0f; ++i) {
        torpedo->step(0.0005);
        apexX = torpedo->position.x;
    }
    EXPECT_NEAR(apexX, centre.x, 1.0f);
    EXPECT_NEAR(torpedo->position.y, 600.0f, 1.0f);
}

TEST_F(TorpedoTest, WithoutPalmOrIslandItAimsAtTheIslandOrTheOrigin) {
    startMatch();
    for (int i = 0; i < 20; ++i) {
        Torpedo* torpedo = enter(new Torpedo());
        EXPECT_TRUE(std::isfinite(torpedo->velocity.x));
        EXPECT_NEAR(torpedo->xAtHeight(0.0f), 0.0f, 0.01f);
        torpedo->bDestroyPending = true;
    }
    island(-150.0f, 10.0f, {});
    Torpedo* torpedo = enter(new Torpedo());
    EXPECT_NEAR(torpedo->xAtHeight(10.0f), -150.0f, 0.01f);
}

TEST_F(TorpedoTest, StrikesOnlyOnTheWayDownAndLeavesTheWaterWithASplash) {
    startMatch();
    for (int detail : {0, 1}) {
        DetailSetting setting(detail);
        Torpedo* torpedo = enter(new Torpedo());
        EXPECT_FALSE(torpedo->bHitsPalms);
        EXPECT_TRUE(torpedo->exitPending);
        const unsigned effects = layer(GameController::LAYER_FIREWORKS)->getNumChildren();
        const size_t mark = soundMark();
        torpedo->tick(0.0, 0.01);
        EXPECT_FALSE(torpedo->exitPending);
        EXPECT_FALSE(torpedo->bHitsPalms);
        EXPECT_NEAR(torpedo->heading, std::atan2(torpedo->velocity.y, torpedo->velocity.x), 1e-6f);
        EXPECT_EQ(torpedo->rotation.z, torpedo->heading);
        EXPECT_EQ(soundsSince(mark), std::vector<std::string>{"waterExit"});
        EXPECT_EQ(layer(GameController::LAYER_FIREWORKS)->getNumChildren(), effects + (detail ? 1u : 0u));
        torpedo->tick(0.0, 0.01);
        EXPECT_EQ(soundsSince(mark).size(), 1u);
        torpedo->velocity.y = -1.0f;
        torpedo->tick(0.0, 0.001);
        EXPECT_TRUE(torpedo->bHitsPalms);

        torpedo->position.y = -24.9f;
        torpedo->velocity.y = -100.0f;
        const size_t sinkMark = soundMark();
        torpedo->tick(0.0, 0.01);
        EXPECT_TRUE(torpedo->bDestroyPending);
        EXPECT_EQ(soundsSince(sinkMark), std::vector<std::string>{"smallSplash"});
    }
}

TEST_F(TorpedoTest, PassingAPalmOnTheWayUpHarmsNeitherOnTheWayDownBoth) {
    match = static_cast<ScriptedController*>(harness->start([] { return new EnemyMatch(2); }));
    Palm* palm = island(0.0f, -20.0f, {0.0f})[0];
    const float energy = palm->energy;
    Torpedo* torpedo = enter(new Torpedo());
    torpedo->bRemoveOffWorld = false;
    torpedo->acceleration = V3(0.0f, 0.0f, 0.0f);
    torpedo->position = V3(palm->boundsCenter.x, palm->boundsCenter.y - 60.0f, 0.0f);
    torpedo->velocity = V3(0.0f, 100.0f, 0.0f);
    torpedo->updateVisuals();
    bool touched = false;
    for (int i = 0; i < 120; ++i) {
        harness->step();
        touched = touched || torpedo->collide(palm);
    }
    EXPECT_TRUE(touched);
    EXPECT_EQ(palm->energy, energy);
    EXPECT_FALSE(torpedo->bDestroyPending);

    torpedo->position = V3(palm->boundsCenter.x, palm->boundsCenter.y + 20.0f, 0.0f);
    torpedo->velocity = V3(0.0f, -100.0f, 0.0f);
    torpedo->updateVisuals();
    for (int i = 0; i < 30 && !torpedo->bDestroyPending; ++i) harness->step();
    EXPECT_TRUE(torpedo->bDestroyPending);
    EXPECT_LT(palm->energy, energy);
}

TEST_F(TorpedoTest, AHitOfThreeTenthsEndsTheTorpedoButNotTheBlackOne) {
    startMatch();
    Shooter gun(1, V3(0.0f, 300.0f, 0.0f));
    Torpedo* plain = enter(new Torpedo());
    TorpedoBlack* black = enter(new TorpedoBlack());
    EXPECT_EQ(plain->points, 300);
    EXPECT_EQ(black->points, 300);
    EXPECT_EQ(black->energy, 0.5f);
    EXPECT_EQ(skinIndex(World::frames("torpedo"), plain->pSkin), 0);
    EXPECT_EQ(skinIndex(World::frames("torpedo"), black->pSkin), 1);
    const size_t mark = soundMark();
    plain->takeDamage(&gun, 0.3f);
    black->takeDamage(&gun, 0.3f);
    EXPECT_TRUE(plain->bDestroyPending);
    EXPECT_FALSE(black->bDestroyPending);
    EXPECT_NEAR(black->energy, 0.2f, 1e-6f);
    EXPECT_EQ(soundsSince(mark), std::vector<std::string>{"explosionShort"});
    EXPECT_EQ(World::sound("explosionShort")->pitchMin, 0.0f);
    EXPECT_EQ(World::sound("explosionShort")->pitchMax, 0.5f);
}

} // namespace
