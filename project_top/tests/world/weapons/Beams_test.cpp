// The beams over the real engine and data: the laser's one hit along its line
// (front or back, enemies before balloons, never aircraft, cannons or palms),
// the held lightning bolt's damage ticks, release and refused payments, and
// read-back pixels of a laser across the window and of a bloated beam.
#include "WeaponFixture.h"
#include "widgets/Background.h"
#include "render/Quad.h"
#include "world/weapons/Laser.h"
#include "world/weapons/Lightning.h"
#include "world/weapons/WeaponLaser.h"
#include "world/weapons/WeaponLightning.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using BeamsTest = MatchTest;
using L = GameController;

const float LASER_HIT = float(0.4f * 1.01);
const float BOLT_HIT = float(0.04f * 1.01);

HitTarget* target(GameController* match, int layer, V3 at) {
    HitTarget* made = new HitTarget(1, at);
    match->layer(layer)->addChild(made);
    return made;
}

float distanceTo(const HitTarget* t, V3 from) {
    const V3 d = t->boundsCenter - from;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

// A laser of player 0 along +x from the origin, ticked once in a frame.
Laser* fireLaser(GameController* match, MatchHarness* run) {
    Laser* laser = new Laser(0, 0.0f, 0.0f, 0.0f, 0.0f);
    match->layer(L::LAYER_BEAMS)->addChild(laser);
    run->step();
    return laser;
}

TEST_F(BeamsTest, ALaserWithNothingAheadReachesFullLengthAndFades) {
    GameController* match = start();
    // Never the aircraft, the cannons or the palms, whatever their owner.
    HitTarget* plane = target(match, L::LAYER_AIRPLANES, V3(100.0f, 0.0f, 0.0f));
    HitTarget* gun = target(match, L::LAYER_CANNONS, V3(200.0f, 0.0f, 0.0f));
    HitTarget* palm = target(match, L::LAYER_PALMS, V3(-50.0f, 0.0f, 0.0f));
    const size_t from = harness->log.lines.size();
    Laser* laser = fireLaser(match, harness);
    EXPECT_EQ(soundsSince(harness, from), std::vector<std::string>{"laserFire"});
    EXPECT_EQ(laser->beamLength, 1024.0f);
    EXPECT_EQ(laser->beamQuad->width, 1024.0f);
    EXPECT_TRUE(plane->hits.empty() && gun->hits.empty() && palm->hits.empty());
    EXPECT_EQ(laser->color.a, 255); // first frame at full strength
    harness->steps(23);
    EXPECT_EQ(MatchHarness::liveChildren(match->layer(L::LAYER_BEAMS)), 1);
    harness->steps(2);
    EXPECT_EQ(MatchHarness::liveChildren(match->layer(L::LAYER_BEAMS)), 0);
}

TEST_F(BeamsTest, ALaserHitsOnceTheNearestOnItsLineEnemiesBeforeBalloons) {
    GameController* match = start();
    HitTarget* balloon = target(match, L::LAYER_BALLOONS, V3(300.0f, 0.0f, 0.0f));
    size_t from = harness->log.lines.size();
    Laser* laser = fireLaser(match, harness);
    harness->steps(10);
    ASSERT_EQ(balloon->hits.size(), 1u);
    EXPECT_FLOAT_EQ(balloon->hits[0], LASER_HIT);
    EXPECT_FLOAT_EQ(laser->beamLength, distanceTo(balloon, V3(0.0f, 0.0f, 0.0f)));
    EXPECT_NEAR(laser->beamLength, 300.0f, 20.0f);
    EXPECT_EQ(laser->velocity.x, 1024.0f);
    const std::vector<std::string> hits = soundLines(harness, from, "laserHit");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_NE(hits[0].find("\t0.0,0.0,0.0\t"), std::string::npos) << hits[0]; // at the laser

    // An enemy behind the muzzle, nearer than the balloon, is the one hit.
    HitTarget* behind = target(match, L::LAYER_ENEMIES, V3(-100.0f, 0.0f, 0.0f));
    laser = fireLaser(match, harness);
    EXPECT_EQ(behind->hits.size(), 1u);
    EXPECT_EQ(balloon->hits.size(), 1u);
    EXPECT_FLOAT_EQ(laser->beamLength, distanceTo(behind, V3(0.0f, 0.0f, 0.0f)));

    // At equal distances the enemy goes before the balloon.
    behind->bDestroyPending = true;
    HitTarget* enemy = target(match, L::LAYER_ENEMIES, V3(-300.0f, 0.0f, 0.0f));
    fireLaser(match, harness);
    EXPECT_EQ(enemy->hits.size(), 1u);
    EXPECT_EQ(balloon->hits.size(), 1u);
}

TEST_F(BeamsTest, AHeldBoltHitsTwentyTimesASecondAndStopsAtRelease) {
    GameController* match = start();
    Cannon* cannon = armedCannon(match, 0, new WeaponLightning(0));
    HitTarget* enemy = target(match, L::LAYER_ENEMIES, V3(0.0f, 200.0f, 0.0f));
    const size_t from = harness->log.lines.size();
    harness->scheduleAction(0, 100, cannon->keySet(), Vehicle::ACTION_FIRE);
    harness->steps(100); // one second held
    const size_t held = enemy->hits.size();
    EXPECT_TRUE(held == 19 || held == 20) << held;
    for (float hit : enemy->hits) EXPECT_FLOAT_EQ(hit, BOLT_HIT);
    const std::vector<std::string> sounds = soundLines(harness, from, "lightningHit");
    ASSERT_EQ(sounds.size(), held);
    for (const std::string& line : sounds) EXPECT_NE(line.find("\t0.0,200.0,0.0\t"), std::string::npos) << line;
    EXPECT_NEAR(cannon->blasterEnergy, 1.0f - 0.1f * 0.99f, 0.002f); // the first frame was free
    WeaponLightning* gun = static_cast<WeaponLightning*>(cannon->weapon);
    ASSERT_NE(gun->currentBolt.get(), nullptr);
    Lightning* bolt = gun->currentBolt.get();
    EXPECT_NEAR(bolt->beamLength, distanceTo(enemy, bolt->position), 0.01f);

    // Released: no damage from that frame, gone 0.25 s later.
    harness->step();
    EXPECT_EQ(gun->currentBolt.get(), nullptr);
    harness->steps(10);
    EXPECT_EQ(enemy->hits.size(), held);
    EXPECT_EQ(MatchHarness::liveChildren(match->layer(L::LAYER_BEAMS)), 1);
    harness->steps(15);
    EXPECT_EQ(MatchHarness::liveChildren(match->layer(L::LAYER_BEAMS)), 0);
}

TEST_F(BeamsTest, ARefusedPaymentDropsTheBoltAndANewOneStartsFreeHalfASecondLater) {
    GameController* match = start();
    Cannon* cannon = armedCannon(match, 0, new WeaponLightning(0));
    WeaponLightning* gun = static_cast<WeaponLightning*>(cannon->weapon);
    cannon->blasterEnergy = 0.0025f; // two payments of 0.001
    harness->scheduleAction(0, 200, cannon->keySet(), Vehicle::ACTION_FIRE);
    int bolts = 0; // starts of a bolt (a new one may reuse the old one's memory)
    bool holding = false;
    int refused = -1;
    int restarted = -1;
    float energyAtRestart = -1.0f;
    for (int i = 0; i < 120; ++i) {
        harness->step();
        Lightning* bolt = gun->currentBolt.get();
        if (bolt && !holding && ++bolts == 2) {
            restarted = i;
            energyAtRestart = cannon->blasterEnergy;
        }
        holding = bolt != nullptr;
        if (gun->bOutOfEnergy && refused < 0) {
            refused = i;
            EXPECT_EQ(bolt, nullptr);
        }
    }
    ASSERT_EQ(refused, 3); // frame 0 creates, 1 and 2 pay, 3 is refused
    ASSERT_GE(bolts, 2);
    EXPECT_GE(restarted - refused, 50);
    EXPECT_LE(restarted - refused, 51);
    EXPECT_NEAR(energyAtRestart, 0.0005f, 1e-6f); // its first frame is free
}

// Brightest red over the rows around a world height, at a world x.
int redAround(float x, float y, int rows) {
    int best = 0;
    for (int r = -rows; r <= rows; ++r) best = std::max(best, int(scenePixel(x, y + float(r)).r));
    return best;
}

// Rows at world x whose red is above the threshold.
int thickness(float x) {
    int rows = 0;
    for (int y = -40; y <= 40; ++y)
        if (scenePixel(x, float(y)).r > 60) ++rows;
    return rows;
}

TEST_F(BeamsTest, ALaserAcrossTheWindowRepeatsWithoutAGapAndBloatedIsTwiceAsThick) {
    GameController* match = start();
    MatchHarness::setDrawing(true);
    match->background->bSkip = true;
    match->clearColour = UColor(0, 0, 0, 255);
    Laser* laser = new Laser(0, -330.0f, 0.0f, 0.0f, 0.0f);
    match->layer(L::LAYER_BEAMS)->addChild(laser);
    harness->step();
    ASSERT_EQ(laser->beamLength, 1024.0f);
    int gaps = 0;
    for (int x = -318; x < 318; ++x)
        if (redAround(float(x), 0.0f, 2) < 200) ++gaps;
    EXPECT_EQ(gaps, 0);
    EXPECT_LT(redAround(0.0f, 60.0f, 2), 40); // dark away from the beam
    const int normal = thickness(0.0f);

    laser->bDestroyPending = true;
    match->bBloatedProjectiles = true;
    Laser* bloated = new Laser(0, -330.0f, 0.0f, 0.0f, 0.0f);
    match->layer(L::LAYER_BEAMS)->addChild(bloated);
    harness->step();
    EXPECT_EQ(bloated->beamLength, 1024.0f); // thicker, not longer
    const int thick = thickness(0.0f);
    EXPECT_GE(normal, 4) << normal;
    EXPECT_LE(thick, 40) << thick;
    EXPECT_NEAR(double(thick) / double(normal), 2.0, 0.35) << normal << " and " << thick << " rows";
}

} // namespace
