// The island cannon and the computer gunner over the real engine and data:
// the barrel's limits, where the shot leaves and the recoil, and the
// gunner's targets (bombs over its palms, the opponent's aircraft, visible
// balloons), its aim with and without gravity and its shot timing.
#include "WeaponFixture.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "world/pilots/CannonComputerControl.h"
#include "world/weapons/Bomb.h"
#include "world/weapons/CannonBall.h"
#include "world/weapons/WeaponCannonBall.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

using CannonTest = MatchTest;
using L = GameController;

TEST_F(CannonTest, TheBarrelStopsAboveTheHorizonAndKicksBackAfterAShot) {
    GameController* match = start();
    Cannon* cannon = armedCannon(match, 0, new WeaponCannonBall(0));
    EXPECT_EQ(cannon->minSpeed, 250.0f);
    EXPECT_EQ(cannon->speed, 500.0f);
    const int keys = cannon->keySet();
    harness->scheduleAction(1, 200, keys, Vehicle::ACTION_TURN_LEFT);
    harness->steps(201);
    EXPECT_EQ(cannon->heading, PI - PI / 256.0f);
    harness->scheduleAction(harness->frame, harness->frame + 300, keys, Vehicle::ACTION_TURN_RIGHT);
    harness->scheduleAction(harness->frame, harness->frame + 100, keys, Vehicle::ACTION_DECREASE);
    harness->steps(301);
    EXPECT_EQ(cannon->heading, PI / 256.0f);
    EXPECT_EQ(cannon->speed, 250.0f);
    EXPECT_EQ(cannon->barrel.position, cannon->position);

    // The shell leaves 26 units along the barrel; the barrel kicks back 4
    // units and is home again within a quarter of a second.
    harness->scheduleAction(harness->frame, harness->frame + 2, keys, Vehicle::ACTION_FIRE);
    harness->steps(2);
    CannonBall* shell = dynamic_cast<CannonBall*>(static_cast<PlimBase*>(match->layer(L::LAYER_CANNON_BALLS)->lastChild));
    ASSERT_NE(shell, nullptr);
    const float h = cannon->heading;
    // One tick of flight since: back up by the launch velocity.
    const V3 launched = shell->position - shell->velocity * 0.01f;
    EXPECT_NEAR(launched.x, 26.0f * std::cos(h), 0.5f);
    EXPECT_NEAR(launched.y, -10.0f + 26.0f * std::sin(h), 0.5f);
    EXPECT_NEAR(std::hypot(shell->velocity.x, shell->velocity.y), 250.0f, 2.0f);
    const float kicked = std::hypot(cannon->barrel.position.x - cannon->position.x,
                                    cannon->barrel.position.y - cannon->position.y);
    EXPECT_GT(kicked, 3.0f);
    EXPECT_LE(kicked, 4.0f);
    harness->steps(25);
    EXPECT_EQ(cannon->recoil, 0.0f);
    EXPECT_EQ(cannon->barrel.position, cannon->position);
}

TEST_F(CannonTest, WithTheMouseTheBarrelTurnsToThePointerWithoutOvershooting) {
    GameController* match = start();
    Cannon* cannon = armedCannon(match, 0, nullptr);
    cannon->bMouseControl = true;
    // The pointer in view units from the bottom left: world (200, 190).
    PLIM->input->mousePosition[0] = 320.0f + 200.0f;
    PLIM->input->mousePosition[1] = 240.0f + 190.0f;
    harness->steps(100);
    EXPECT_FLOAT_EQ(cannon->heading, PI / 4.0f);
    // Below the cannon and to the left: the nearer end of the arc.
    PLIM->input->mousePosition[0] = 320.0f - 200.0f;
    PLIM->input->mousePosition[1] = 240.0f - 100.0f;
    harness->steps(200);
    EXPECT_EQ(cannon->heading, PI - PI / 256.0f);
    PLIM->input->mousePosition[0] = 320.0f;
    PLIM->input->mousePosition[1] = 240.0f;
}

TEST_F(CannonTest, AGunnerWithoutTargetsNeitherTurnsNorFires) {
    GameController* match = start();
    CannonComputerControl* gunner = new CannonComputerControl(1);
    gunner->weapon = new WeaponCannonBall(1);
    match->layer(L::LAYER_CANNONS)->addChild(gunner);
    match->playerData[1]->pVehicle.set(gunner);
    gunner->nextFireTime = 5.0;
    harness->steps(100);
    EXPECT_EQ(gunner->heading, PI / 2.0f);
    EXPECT_EQ(gunner->nextFireTime, 5.0);
    EXPECT_EQ(MatchHarness::liveChildren(match->layer(L::LAYER_CANNON_BALLS)), 0);
    EXPECT_EQ(gunner->bombTarget, nullptr);
    EXPECT_EQ(gunner->vehicleScore, -1.0f);
}

TEST_F(CannonTest, TheGunnerScoresBombsOverItsPalmsAircraftAndVisibleBalloons) {
    GameController* match = start();
    CannonComputerControl* gunner = new CannonComputerControl(0);
    gunner->position = V3(-200.0f, -10.0f, 0.0f);
    gunner->updateVisuals();
    match->layer(L::LAYER_CANNONS)->addChild(gunner);
    HitTarget* palm = new HitTarget(0, V3(-100.0f, 0.0f, 0.0f), "palm:0");
    palm->setState(1, 0.0);
    match->layer(L::LAYER_PALMS)->addChild(palm);
    HitTarget* lost = new HitTarget(0, V3(100.0f, 0.0f, 0.0f), "palm:0"); // fallen: state 2
    lost->setState(2, 0.0);
    match->layer(L::LAYER_PALMS)->addChild(lost);

    // A bomb straight above the palm, 30 off its centre, scores 1; one 128 off
    // scores 0; our own bombs and bombs over a fallen palm do not count.
    Bomb* own = new Bomb(0, palm->boundsCenter.x, 300.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    Bomb* wide = new Bomb(1, palm->boundsCenter.x + 128.0f, 300.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    Bomb* overLost = new Bomb(1, lost->boundsCenter.x, 300.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    match->layer(L::LAYER_BOMBS)->addChild(own);
    match->layer(L::LAYER_BOMBS)->addChild(wide);
    match->layer(L::LAYER_BOMBS)->addChild(overLost);
    gunner->scanBombs();
    EXPECT_EQ(gunner->bombTarget, wide); // 0, but the first with the highest
    EXPECT_EQ(gunner->bombScore, 0.0f);
    Bomb* close = new Bomb(1, palm->boundsCenter.x + 30.0f, 300.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    match->layer(L::LAYER_BOMBS)->addChild(close);
    gunner->scanBombs();
    EXPECT_EQ(gunner->bombTarget, close);
    EXPECT_EQ(gunner->bombScore, 1.0f);

    // The opponent's aircraft: straight at us from 300 away.
    Vehicle* plane = giveVehicle(match, 1);
    plane->position = V3(100.0f, -10.0f, 0.0f);
    plane->heading = PI;
    plane->updateVisuals();
    gunner->scoreVehicle();
    EXPECT_EQ(gunner->vehicleTarget, plane);
    EXPECT_NEAR(gunner->vehicleScore, 1.0f - 0.9f * 44.0f / 768.0f, 1e-5f);

    // A balloon off screen is ignored; a visible one scores by distance.
    HitTarget* away = new HitTarget(1, V3(2000.0f, 100.0f, 0.0f));
    HitTarget* near = new HitTarget(1, V3(100.0f, -10.0f, 0.0f));
    match->layer(L::LAYER_BALLOONS)->addChild(away);
    match->layer(L::LAYER_BALLOONS)->addChild(near);
    harness->step(); // the drawing decides what is visible
    EXPECT_FALSE(away->bVisible);
    gunner->scanBonuses();
    EXPECT_EQ(gunner->bonusTarget, near);
    EXPECT_NEAR(gunner->bonusScore, 1.0f - 44.0f / 768.0f, 1e-3f);
    near->bDestroyPending = true;
    gunner->scanBonuses();
    EXPECT_EQ(gunner->bonusTarget, nullptr);
    EXPECT_EQ(gunner->bonusScore, -1.0f);
}

TEST_F(CannonTest, TheGunnerLeadsWithGravityUnlessAutocannonsAndTimesItsShots) {
    GameController* match = start();
    CannonComputerControl* gunner = new CannonComputerControl(0);
    gunner->position = V3(-300.0f, -10.0f, 0.0f);
    match->layer(L::LAYER_CANNONS)->addChild(gunner);
    Vehicle* plane = giveVehicle(match, 1);
    plane->position = V3(100.0f, 100.0f, 0.0f);
    plane->updateVisuals();
    gunner->heading = std::atan2(110.0f, 400.0f); // straight at it
    match->bAutocannons = true;
    gunner->clearInput();
    gunner->readControls();
    EXPECT_FALSE(gunner->bTurnLeft || gunner->bTurnRight);
    match->bAutocannons = false;
    gunner->clearInput();
    gunner->readControls();
    EXPECT_TRUE(gunner->bTurnLeft); // higher, against the drop
    EXPECT_FALSE(gunner->bFirePressed);
    EXPECT_GT(gunner->nextFireTime, 0.0); // the first decision only schedules
    EXPECT_LE(gunner->nextFireTime, 3.0 * 3.0);

    // With a weapon it shoots once the time has come, at full muzzle speed.
    gunner->weapon = new WeaponCannonBall(0);
    gunner->speed = 300.0f;
    match->playerData[0]->pVehicle.set(gunner);
    harness->steps(1000);
    EXPECT_EQ(gunner->speed, gunner->maxSpeed);
    EXPECT_GT(soundLines(harness, 0, "cannonFire").size(), 1u);
}

} // namespace
