// The game cameras and the bonus balloons in a real match: zoom with its
// hysteresis and ease, the floor, the fixed and following cameras; balloons
// bobbing, expiring, popped by players (bonuses, markers, captions, sounds)
// or by nobody, the balloon-pop scoring, and the controller's spawning.
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/Global.h"
#include "MatchFixture.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "util/Random.h"
#include "render/Texture.h"
#include "modes/PlayerHUD.h"
#include "modes/PlayerHUDBonus.h"
#include "world/CameraDefault.h"
#include "world/CameraFollowPlayer.h"
#include "world/CameraStatic.h"
#include "world/World.h"
#include "world/effects/BonusBalloonPop.h"
#include "world/effects/BonusBlaster.h"
#include "world/effects/BonusDefensive.h"
#include "world/effects/BonusLessBlaster.h"
#include "world/effects/BonusOffensive.h"
#include "world/effects/BonusSlowSpeed.h"
#include "world/effects/BonusSlowTurningRate.h"
#include "world/effects/Firework.h"
#include "world/effects/Sparc.h"
#include "render/Skin.h"
#include "util/PlimMath.h"

#include <cmath>
#include <string>
#include <set>
#include <typeinfo>

namespace {

using CamerasTest = MatchTest;
using BonusTest = MatchTest;

struct Detail {
    explicit Detail(int value) : saved(gGlobal->saveData.graphicsDetail) { gGlobal->saveData.graphicsDetail = value; }
    ~Detail() { gGlobal->saveData.graphicsDetail = saved; }
    int saved;
};

std::vector<std::string> soundsSince(MatchHarness* run, size_t from) {
    std::vector<std::string> all = run->log.linesOf("sound");
    return std::vector<std::string>(all.begin() + long(std::min(from, all.size())), all.end());
}

bool names(const std::string& line, const char* sound) {
    return line.find(std::string("\t") + sound + "\t") != std::string::npos;
}

GameObject* shotOf(int owner) {
    auto* shot = new GameObject(owner);
    shot->setEnergy(1.0f);
    return shot;
}

int countHudPopups(GameController* match, int player) {
    int n = 0;
    for (BasicLink* c = match->playerHud[player]->firstChild; c; c = c->next)
        n += dynamic_cast<PlayerHUDBonus*>(static_cast<PlimBase*>(c)) != nullptr;
    return n;
}

TEST_F(CamerasTest, DefaultCameraZoomsOutPastTheWidthAndBackBelowNineTenths) {
    GameController* match = start();
    CameraDefault camera;
    camera.tick(0.0, 0.01); // no vehicles: stays
    EXPECT_EQ(camera.position, V3(0, 0, -320));
    Vehicle* a = giveVehicle(match, 0);
    Vehicle* b = giveVehicle(match, 1);
    a->position = V3(-250, 100, 0);
    b->position = V3(250, 120, 0);
    camera.tick(0.0, 0.01);
    EXPECT_FALSE(camera.bZoomedOut); // 628 wide
    EXPECT_EQ(camera.position, V3(0, 110, -320));
    EXPECT_EQ(camera.target, V3(0, 110, 0));

    a->position.x = -300;
    b->position.x = 300; // 728
    camera.tick(0.0, 0.01);
    EXPECT_TRUE(camera.bZoomedOut);
    EXPECT_EQ(camera.position.z, -320.0f);
    for (int i = 0; i < 50; ++i) camera.tick(0.0, 0.01);
    EXPECT_NEAR(camera.position.z, -320.0f - 320.0f * (1 - std::cos(PI_DOUBLE * 0.5)) / 2, 0.5f);
    for (int i = 0; i < 60; ++i) camera.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(camera.position.z, -640.0f);
    EXPECT_NEAR(camera.getVisibleRect(0).right - camera.getVisibleRect(0).left, 1280.0f, 0.01f);

    a->position.x = -260;
    b->position.x = 260; // 648: between the two thresholds
    for (int i = 0; i < 20; ++i) camera.tick(0.0, 0.01);
    EXPECT_TRUE(camera.bZoomedOut);
    a->position.x = -255;
    b->position.x = 255; // 638: still not below 576
    camera.tick(0.0, 0.01);
    EXPECT_TRUE(camera.bZoomedOut);
    a->position.x = -200;
    b->position.x = 200; // 528
    camera.tick(0.0, 0.01);
    EXPECT_FALSE(camera.bZoomedOut);
    for (int i = 0; i < 120; ++i) camera.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(camera.position.z, -320.0f);

    // Low over the sea: the view's lower edge is the floor.
    a->position.y = -100;
    b->position.y = -90;
    camera.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(camera.getVisibleRect(0).bottom, -250.0f);
    EXPECT_EQ(camera.position.y, camera.target.y);

    // Tall: the height over the aspect decides.
    a->position = V3(0, -100, 0);
    b->position = V3(0, 400, 0); // 628 / 0.75 > 640
    camera.tick(0.0, 0.01);
    EXPECT_TRUE(camera.bZoomedOut);
}

TEST_F(CamerasTest, FollowingAndStaticCameras) {
    GameController* match = start();
    CameraFollowPlayer follow(1);
    follow.tick(0.0, 0.5);
    EXPECT_EQ(follow.position, V3(0, 0, -320));
    EXPECT_FLOAT_EQ(follow.factor, 0.5f);
    Vehicle* v = giveVehicle(match, 1);
    v->position = V3(123, 300, 0);
    follow.tick(0.0, 0.01);
    EXPECT_EQ(follow.position, V3(123, 300, -320));
    EXPECT_EQ(follow.target, V3(123, 300, 0));
    v->position.y = -200;
    follow.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(follow.position.y, -10.0f);
    match->playerData[1]->pVehicle.set(nullptr);
    follow.tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(follow.position.y, -10.0f);

    CameraStatic level(50, 0, -320);
    EXPECT_EQ(level.position, V3(50, 0, -320));
    EXPECT_EQ(level.target, V3(50, 0, 0));
    CameraStatic low(0, -100, -320);
    EXPECT_FLOAT_EQ(low.position.y, -10.0f);
    EXPECT_FLOAT_EQ(low.target.y, -10.0f);
    // Handed to the scene, it blends in over its blend time.
    auto* shot = new CameraStatic(0, 0, -320);
    shot->blendTime = 0.5;
    match->scene->getCameraBlender()->addChild(shot);
    harness->steps(60);
    EXPECT_FLOAT_EQ(shot->factor, 1.0f);
}

TEST_F(BonusTest, BalloonBobsWobblesAndExpires) {
    GameController* match = start();
    Detail low(0);
    auto* balloon = new BonusDefensive(100, 200, 0, 90.0, true);
    match->layer(GameController::LAYER_BALLOONS)->addChild(balloon);
    EXPECT_EQ(balloon->owner, -1);
    EXPECT_EQ(balloon->points, 100);
    EXPECT_EQ(balloon->collisionSensitivity, 0.5f);
    EXPECT_EQ(balloon->pSkin, World::frame(World::frames("balloons"), 1));
    EXPECT_EQ(balloon->caption, UString("defensive protection!"));
    EXPECT_GE(balloon->phase, 0.0f);
    EXPECT_LT(balloon->phase, TWO_PI);

    balloon->tick(2.0, 0.5);
    EXPECT_FALSE(balloon->burstPending); // cleared though no burst at detail 0
    EXPECT_EQ(match->layer(GameController::LAYER_FIREWORKS)->getNumChildren(), 0u);
    EXPECT_FLOAT_EQ(balloon->position.y, 200 + 16 * std::sin(balloon->phase + 2.0f));
    EXPECT_FLOAT_EQ(balloon->position.x, 100.0f);
    EXPECT_NEAR(balloon->scale.x * balloon->scale.y, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(balloon->scale.x, 1 + 0.05f * std::sin(balloon->phase + 32.0f));
    int ticks = 1;
    while (!balloon->bDestroyPending && ticks < 1000) {
        balloon->tick(2.0 + 0.5 * ticks, 0.5);
        ++ticks;
    }
    EXPECT_EQ(ticks, 180); // 90 s of steps

    auto* forever = new BonusOffensive(0, 0, 0, 0.0, false);
    match->layer(GameController::LAYER_BALLOONS)->addChild(forever);
    for (int i = 0; i < 400; ++i) forever->tick(i, 0.5);
    EXPECT_FALSE(forever->bDestroyPending);
    EXPECT_EQ(forever->lifetime, 0.0);

    // At high detail the first tick bursts above the balloon.
    Detail high(1);
    auto* bursting = new BonusBlaster(10, 50, 0, 90.0, true);
    match->layer(GameController::LAYER_BALLOONS)->addChild(bursting);
    bursting->tick(0.0, 0.01);
    ASSERT_EQ(match->layer(GameController::LAYER_FIREWORKS)->getNumChildren(), 1u);
    auto* fw = static_cast<Firework*>(static_cast<PlimBase*>(match->layer(GameController::LAYER_FIREWORKS)->firstChild));
    EXPECT_EQ(fw->count, 10);
    EXPECT_FLOAT_EQ(fw->particles[0].position.y, bursting->position.y + 0.25f * bursting->pSkin->height);
    bursting->tick(0.01, 0.01);
    EXPECT_EQ(match->layer(GameController::LAYER_FIREWORKS)->getNumChildren(), 1u);
}

TEST_F(BonusTest, EachKindChangesItsTargetWithMarkerCaptionAndSound) {
    GameController* match = start();
    Vehicle* v0 = giveVehicle(match, 0);
    Vehicle* v1 = giveVehicle(match, 1);
    v0->turnRate = v1->turnRate = 2.0f;
    v0->maxSpeed = v1->maxSpeed = 100.0f;
    v1->blasterEnergy = 1.0f;
    struct Case {
        Bonus* balloon;
        int balloonSkin, icon;
        bool sabotage;
        const char* sound;
    };
    Case cases[] = {{new BonusOffensive(0, 0, 0, 90, false), 6, 3, false, "bonusPickup+"},
                    {new BonusDefensive(0, 0, 0, 90, false), 1, 1, false, "bonusPickup+"},
                    {new BonusBlaster(0, 0, 0, 90, false), 3, 0, false, "bonusPickup+"},
                    {new BonusLessBlaster(0, 0, 0, 90, false), 2, 2, true, "bonusPickup-"},
                    {new BonusSlowTurningRate(0, 0, 0, 90, false), 5, 5, true, "bonusPickup-"},
                    {new BonusSlowSpeed(0, 0, 0, 90, false), 4, 4, true, "bonusPickup-"}};
    GameObject* shot = shotOf(0);
    match->layer(GameController::LAYER_BULLETS)->addChild(shot);
    for (Case& c : cases) {
        match->layer(GameController::LAYER_BALLOONS)->addChild(c.balloon);
        EXPECT_EQ(c.balloon->pSkin, World::frame(World::frames("balloons"), c.balloonSkin));
        EXPECT_EQ(c.balloon->bSabotage, c.sabotage);
        Vehicle* target = c.sabotage ? v1 : v0;
        const int markers = int(target->bonusMarkers.getNumChildren());
        const int popups = countHudPopups(match, 0), otherPopups = countHudPopups(match, 1);
        const int score = match->playerData[0]->score;
        const size_t sounds = harness->log.linesOf("sound").size();
        shot->dealDamage(c.balloon, 1.0f);
        EXPECT_TRUE(c.balloon->bDestroyPending);
        ASSERT_EQ(int(target->bonusMarkers.getNumChildren()), markers + 1) << c.balloon->caption.c_str();
        auto* marker = static_cast<Renderable*>(static_cast<PlimBase*>(target->bonusMarkers.lastChild));
        EXPECT_EQ(marker->pSkin, World::frame(World::frames("hud-bonusicons"), c.icon));
        EXPECT_EQ(countHudPopups(match, 0), popups + 1); // the caption goes to the popper
        EXPECT_EQ(countHudPopups(match, 1), otherPopups);
        EXPECT_EQ(match->playerData[0]->score, score + 100);
        std::vector<std::string> played = soundsSince(harness, sounds);
        ASSERT_EQ(played.size(), 1u);
        EXPECT_TRUE(names(played[0], c.sound)) << played[0];
    }
    EXPECT_FLOAT_EQ(v0->damageDealtFactor, 2.0f);
    EXPECT_FLOAT_EQ(v0->damageTakenFactor, 0.5f);
    EXPECT_FLOAT_EQ(v0->maxBlasterEnergy, 2.0f);
    EXPECT_FLOAT_EQ(v0->blasterEnergy, 2.0f);
    EXPECT_FLOAT_EQ(v1->maxBlasterEnergy, 0.5f);
    EXPECT_FLOAT_EQ(v1->blasterEnergy, 1.0f); // capped by its next regeneration
    EXPECT_FLOAT_EQ(v1->turnRate, 1.0f);
    EXPECT_FLOAT_EQ(v1->maxSpeed, 50.0f);
    EXPECT_FLOAT_EQ(v0->turnRate, 2.0f);
    EXPECT_FLOAT_EQ(v1->damageDealtFactor, 1.0f);
}

TEST_F(BonusTest, BalloonsPoppedByNobodyOrForAPlayerWithoutVehicleOnlyBurst) {
    GameController* match = start();
    Detail high(1);
    giveVehicle(match, 0);
    auto* loose = new BonusOffensive(0, 0, 0, 90, false);
    auto* sabotage = new BonusSlowSpeed(0, 0, 0, 90, false);
    match->layer(GameController::LAYER_BALLOONS)->addChild(loose);
    match->layer(GameController::LAYER_BALLOONS)->addChild(sabotage);
    GameObject* stray = shotOf(-1);
    GameObject* mine = shotOf(0);
    const size_t sounds = harness->log.linesOf("sound").size();
    stray->dealDamage(loose, 1.0f);
    mine->dealDamage(sabotage, 1.0f); // player 1 has no vehicle
    EXPECT_TRUE(loose->bDestroyPending);
    EXPECT_TRUE(sabotage->bDestroyPending);
    EXPECT_EQ(match->layer(GameController::LAYER_FIREWORKS)->getNumChildren(), 2u);
    EXPECT_EQ(countHudPopups(match, 0) + countHudPopups(match, 1), 0);
    EXPECT_EQ(GameController::currentVehicle(0)->bonusMarkers.getNumChildren(), 0u);
    EXPECT_EQ(GameController::currentVehicle(0)->damageDealtFactor, 1.0f);
    EXPECT_TRUE(soundsSince(harness, sounds).empty());
    stray->deleteMe();
    mine->deleteMe();
}

TEST_F(BonusTest, BalloonPopScoresAndPitchesByDistance) {
    GameController* match = start();
    Vehicle* v = giveVehicle(match, 0);
    const struct {
        float distance;
        int points;
        float rate;
    } cases[] = {{100, 1000, 1.0f}, {384, 1500, 1.5f}, {1000, 2000, 2.0f}};
    GameObject* shot = shotOf(0);
    for (const auto& c : cases) {
        auto* balloon = new BonusBalloonPop(0, 0, 0, 90, false);
        match->layer(GameController::LAYER_BALLOONS)->addChild(balloon);
        EXPECT_TRUE(balloon->caption.isEmpty());
        v->position = V3(0, c.distance, 0);
        const int score = match->playerData[0]->score;
        const size_t sounds = harness->log.linesOf("sound").size();
        shot->dealDamage(balloon, 1.0f);
        // The pop's own 100 and the distance's points.
        EXPECT_EQ(match->playerData[0]->score, score + 100 + c.points);
        std::vector<std::string> played = soundsSince(harness, sounds);
        ASSERT_EQ(played.size(), 1u);
        EXPECT_TRUE(names(played[0], "bonusPickup+"));
        EXPECT_NE(played[0].find(formatString("\t%.4f\t", c.rate).c_str()), std::string::npos) << played[0];
        EXPECT_EQ(v->bonusMarkers.getNumChildren(), 0u);
    }
    EXPECT_EQ(countHudPopups(match, 0), 0);
    shot->deleteMe();

    // Any of the balloon pictures.
    std::set<Skin*> skins;
    for (int i = 0; i < 200; ++i) {
        BonusBalloonPop b(0, 0, 0, 0, false);
        skins.insert(b.pSkin);
    }
    EXPECT_EQ(skins.size(), World::frames("balloons")->skins.size());
}

TEST_F(BonusTest, ControllerSpawnsOnlyAllowedKindsAndCountsTheirPoints) {
    GameController* match = start<GameController>([](GameController& m) { m.bSabotageBonuses = false; });
    const size_t sounds = harness->log.linesOf("sound").size();
    for (int i = 0; i < 60; ++i) match->spawnBalloon(float(i), 50, 0, 90.0, i == 0);
    EXPECT_EQ(match->pointsTotal, 1 + 60 * 100);
    std::vector<std::string> played = soundsSince(harness, sounds);
    ASSERT_EQ(played.size(), 1u);
    EXPECT_TRUE(names(played[0], "balloonPop"));
    EXPECT_NE(played[0].find("\t0.0,50.0,0.0\t"), std::string::npos) << played[0];
    std::set<std::string> kinds;
    for (BasicLink* c = match->layer(GameController::LAYER_BALLOONS)->firstChild; c; c = c->next) {
        Bonus* b = static_cast<Bonus*>(static_cast<PlimBase*>(c));
        EXPECT_FALSE(b->bSabotage);
        EXPECT_EQ(b->lifetime, 90.0);
        kinds.insert(typeid(*b).name());
    }
    EXPECT_EQ(kinds.size(), 3u);
    match->bSabotageBonuses = true;
    for (int i = 0; i < 100; ++i) match->spawnBalloon(0, 50, 0, 90.0, false);
    kinds.clear();
    for (BasicLink* c = match->layer(GameController::LAYER_BALLOONS)->firstChild; c; c = c->next)
        kinds.insert(typeid(*static_cast<PlimBase*>(c)).name());
    EXPECT_EQ(kinds.size(), 6u);
}

} // namespace
