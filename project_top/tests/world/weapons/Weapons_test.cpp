// The weapons over the real engine and data: the table of the ten weapons and
// their shots, firing by key through a cannon (single shots, the bubble gun's
// stream), the blaster test, the detail setting, the slow motion, and the
// controller's weapon switch.
#include "WeaponFixture.h"
#include "core/Plim.h"
#include "core/Reference.h"
#include "audio/Sound.h"
#include "render/Texture.h"
#include "core/TimeKeeper.h"
#include "modes/PlayerHUD.h"
#include "modes/PlayerHUDBonus.h"
#include "world/Cannon.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Firework.h"
#include "world/weapons/Bomb.h"
#include "world/weapons/Bullet.h"
#include "world/weapons/CannonBall.h"
#include "world/weapons/Laser.h"
#include "world/weapons/Lightning.h"
#include "world/weapons/Rocket.h"
#include "world/weapons/Swarm.h"
#include "world/weapons/WeaponAutoGun.h"
#include "world/weapons/WeaponAutoGunCampaign.h"
#include "world/weapons/WeaponBomb.h"
#include "world/weapons/WeaponBullet.h"
#include "world/weapons/WeaponCannonBall.h"
#include "world/weapons/WeaponCannonBallCampaign.h"
#include "world/weapons/WeaponLaser.h"
#include "world/weapons/WeaponLightning.h"
#include "world/weapons/WeaponRocket.h"
#include "world/weapons/WeaponSwarm.h"
#include "util/PlimMath.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using WeaponsTest = MatchTest;
using L = GameController;

int count(PlimBase* layer) { return MatchHarness::liveChildren(layer); }
template <class T> T* last(PlimBase* layer) { return dynamic_cast<T*>(static_cast<PlimBase*>(layer->lastChild)); }

struct Row {
    std::function<Weapon*()> make;
    const char* name;
    double reload;
    float cost;
    bool held;
    int layer;
    const char* sound; // at the muzzle; null: none from the weapon
    const char* pitch;
};

TEST_F(WeaponsTest, TheTenWeaponsFollowTheirTableAndCreateTheirShots) {
    GameController* match = start();
    match->bMatrixFight = true;
    Vehicle* v = giveVehicle(match, 0);
    v->bFirePressed = v->bFireHeld = true;
    const std::vector<Row> rows = {
        {[] { return new WeaponAutoGun(0); }, "autocannon", 0.11, 0.07f, true, L::LAYER_BULLETS, "bulletFire", "0.000..0.250"},
        {[] { return new WeaponAutoGunCampaign(0); }, "autocannon", 0.11, 1.0f / 120.0f, true, L::LAYER_SHOTS, "bulletFire", "0.000..0.250"},
        {[] { return new WeaponBomb(0); }, "bomb", 0.05, 0.2f, false, L::LAYER_BOMBS, "bombWhistle", nullptr},
        {[] { return new WeaponBullet(0); }, "bullet", 0.05, 0.15f, false, L::LAYER_BULLETS, "bulletFire", "0.000..0.500"},
        {[] { return new WeaponCannonBall(0); }, "cannonball", 0.05, 0.125f, false, L::LAYER_CANNON_BALLS, "cannonFire", nullptr},
        {[] { return new WeaponCannonBallCampaign(0); }, "cannonball", 0.05, 0.0f, false, L::LAYER_SHOTS, "cannonFire", nullptr},
        {[] { return new WeaponLaser(0); }, "laser", 0.15, 0.02f, false, L::LAYER_BEAMS, nullptr, nullptr},
        {[] { return new WeaponLightning(0); }, "lightning", 0.5, 0.1f, true, L::LAYER_BEAMS, nullptr, nullptr},
        {[] { return new WeaponRocket(0); }, "rocket", 0.2, 0.025f, false, L::LAYER_SHOTS, "missileLaunch", nullptr},
        {[] { return new WeaponSwarm(0); }, "bubblegun", 0.08, 1.0f / 150.0f, true, L::LAYER_SHOTS, "bubbles", nullptr},
    };
    const double now = PLIM->timeKeeper->getTime();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Weapon* weapon = row.make();
        EXPECT_EQ(std::string(weapon->name.c_str()), row.name);
        EXPECT_EQ(weapon->reloadTime, row.reload);
        EXPECT_EQ(weapon->energyCost, row.cost);
        EXPECT_EQ(weapon->bHeldFire, row.held);
        EXPECT_EQ(weapon->projectileLayer, match->layer(row.layer));
        EXPECT_EQ(weapon->player, 0);

        match->bulletTimeEnd = 0.0;
        v->blasterEnergy = 1.0f;
        const int before = count(weapon->projectileLayer);
        const size_t sounds = harness->log.linesOf("sound").size();
        ASSERT_TRUE(weapon->canFire(0.0));
        weapon->fire(10.0f, 20.0f, 0.0f, 0.5f, 300.0f);
        const bool lightning = std::string(row.name) == "lightning";
        // The lightning's first frame is free and starts no slow motion.
        EXPECT_FLOAT_EQ(v->blasterEnergy, lightning ? 1.0f : 1.0f - row.cost);
        EXPECT_DOUBLE_EQ(match->bulletTimeEnd, lightning ? 0.0 : now + 2.0);
        EXPECT_EQ(count(weapon->projectileLayer), before + (std::string(row.name) == "bubblegun" ? 3 : 1));
        const std::vector<std::string> played = harness->log.linesOf("sound");
        if (row.sound) {
            ASSERT_EQ(played.size(), sounds + 1);
            EXPECT_NE(played.back().find(std::string(row.sound) + "\t10.0,20.0,0.0"), std::string::npos) << played.back();
            if (row.pitch) {
                EXPECT_NE(played.back().find(row.pitch), std::string::npos) << played.back();
            }
        } else {
            EXPECT_EQ(played.size(), sounds);
        }
        delete weapon;
    }

    // The shots themselves.
    PlimBase* bullets = match->layer(L::LAYER_BULLETS);
    Bullet* gunBullet = last<Bullet>(bullets);
    ASSERT_NE(gunBullet, nullptr);
    EXPECT_FLOAT_EQ(gunBullet->velocity.x, 512.0f * std::cos(0.5f)); // launch speed ignored
    EXPECT_FLOAT_EQ(gunBullet->contactDamage, 0.2f);
    Bullet* autoBullet = dynamic_cast<Bullet*>(static_cast<PlimBase*>(bullets->firstChild));
    ASSERT_NE(autoBullet, nullptr);
    EXPECT_FLOAT_EQ(autoBullet->contactDamage, 0.1f);
    const float spread = std::atan2(autoBullet->velocity.y, autoBullet->velocity.x) - 0.5f;
    EXPECT_LE(std::fabs(spread), PI / 64.0f + 1e-5f);
    Bomb* bomb = last<Bomb>(match->layer(L::LAYER_BOMBS));
    ASSERT_NE(bomb, nullptr);
    EXPECT_FLOAT_EQ(bomb->velocity.x, 300.0f * std::cos(0.5f));
    EXPECT_EQ(bomb->owner, 0);
    ASSERT_NE(last<CannonBall>(match->layer(L::LAYER_CANNON_BALLS)), nullptr);
    EXPECT_FLOAT_EQ(last<CannonBall>(match->layer(L::LAYER_CANNON_BALLS))->velocity.y, 300.0f * std::sin(0.5f));
    Rocket* rocket = dynamic_cast<Rocket*>(static_cast<PlimBase*>(match->layer(L::LAYER_SHOTS)->lastChild->prev->prev->prev));
    ASSERT_NE(rocket, nullptr);
    EXPECT_FLOAT_EQ(rocket->velocity.x, 300.0f * std::cos(0.5f));
    Swarm* bubble = last<Swarm>(match->layer(L::LAYER_SHOTS));
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(bubble->speed, 768.0f);
    EXPECT_NE(last<Lightning>(match->layer(L::LAYER_BEAMS)), nullptr);
}

TEST_F(WeaponsTest, ThePicturesAndSoundsOfTheWeaponsAreLoaded) {
    start();
    const std::pair<const char*, size_t> pictures[] = {
        {"projectiles", 12}, {"cannon", 3}, {"laser", 1}, {"lightning", 1}, {"flare", 1}};
    for (const auto& picture : pictures) EXPECT_EQ(World::texture(picture.first)->skins.size(), picture.second) << picture.first;
    for (const char* name : {"bulletFire", "bombWhistle", "cannonFire", "laserFire", "laserHit", "lightningFire",
                             "lightningHit", "missileLaunch", "missileHit", "bubbles", "bubbleBurst", "smallSplash",
                             "explosionShort", "switchWeapon", "switchWeaponLower"})
        EXPECT_NE(World::sound(name)->source, nullptr) << name;
}

TEST_F(WeaponsTest, TheBlasterPaysOrRefusesAndARefusalIsRemembered) {
    GameController* match = start();
    Vehicle* v = giveVehicle(match, 0);
    v->bFirePressed = true;
    WeaponCannonBall weapon(0);
    v->blasterEnergy = 0.125f; // exactly the cost: fires, leaves 0
    ASSERT_TRUE(weapon.canFire(0.0));
    weapon.fire(0.0f, 0.0f, 0.0f, 1.0f, 300.0f);
    EXPECT_EQ(v->blasterEnergy, 0.0f);
    EXPECT_FALSE(weapon.bOutOfEnergy);
    weapon.nextFireTime = 0.0;
    EXPECT_FALSE(weapon.canFire(0.0));
    EXPECT_TRUE(weapon.bOutOfEnergy);
    v->blasterEnergy = 1.0f;
    EXPECT_TRUE(weapon.canFire(0.0));
    EXPECT_TRUE(weapon.bOutOfEnergy); // for good
    // The reload time and the fire flag.
    weapon.nextFireTime = 5.0;
    EXPECT_FALSE(weapon.canFire(4.99));
    EXPECT_TRUE(weapon.canFire(5.0));
    v->bFirePressed = false;
    v->bFireHeld = true;
    EXPECT_FALSE(weapon.canFire(5.0)); // single shots read the press only

    // Free under the no-blaster mutator, and the free campaign cannon at any energy.
    match->bNoBlaster = true;
    v->bFirePressed = true;
    weapon.fire(0.0f, 0.0f, 0.0f, 1.0f, 300.0f);
    EXPECT_EQ(v->blasterEnergy, 1.0f);
    match->bNoBlaster = false;
    v->blasterEnergy = 0.0f;
    WeaponCannonBallCampaign free(0);
    EXPECT_TRUE(free.canFire(0.0));

    // Without a vehicle a weapon cannot fire.
    WeaponBomb orphan(1);
    EXPECT_FALSE(orphan.canFire(100.0));
    EXPECT_FALSE(orphan.bOutOfEnergy);
}

TEST_F(WeaponsTest, AHeldSingleShotKeyFiresOnceAndTheBubbleGunStreams) {
    GameController* match = start();
    Cannon* cannon = armedCannon(match, 0, new WeaponCannonBall(0));
    harness->scheduleAction(2, 40, cannon->keySet(), Vehicle::ACTION_FIRE);
    harness->steps(45);
    EXPECT_EQ(count(match->layer(L::LAYER_CANNON_BALLS)), 1);
    EXPECT_FLOAT_EQ(cannon->blasterEnergy, 1.0f - 0.125f);

    // The bubble gun held for a second: a shot of three every 0.08 s.
    delete cannon->weapon;
    cannon->weapon = new WeaponSwarm(0);
    cannon->blasterEnergy = 1.0f;
    harness->scheduleAction(harness->frame, harness->frame + 100, cannon->keySet(), Vehicle::ACTION_FIRE);
    const size_t before = harness->log.lines.size();
    harness->steps(100);
    std::vector<int> shotFrames;
    for (size_t i = before; i < harness->log.lines.size(); ++i)
        if (harness->log.lines[i].find("\tbubbles\t") != std::string::npos)
            shotFrames.push_back(std::stoi(harness->log.lines[i]));
    ASSERT_GE(shotFrames.size(), 11u);
    for (size_t i = 1; i < shotFrames.size(); ++i) {
        EXPECT_GE(shotFrames[i] - shotFrames[i - 1], 8);
        EXPECT_LE(shotFrames[i] - shotFrames[i - 1], 9);
    }
    EXPECT_NEAR(cannon->blasterEnergy, 1.0f - float(shotFrames.size()) / 150.0f, 1e-5f);
}

TEST_F(WeaponsTest, LowDetailDropsTheMuzzleFlashAndTheLaserFlares) {
    GameController* match = start();
    Vehicle* v = giveVehicle(match, 0);
    v->bFirePressed = true;
    for (int detail = 0; detail <= 1; ++detail) {
        SCOPED_TRACE(detail);
        harness->app->saveData.graphicsDetail = detail;
        WeaponCannonBall cannon(0);
        cannon.fire(0.0f, 0.0f, 0.0f, 1.0f, 300.0f);
        WeaponLaser laser(0);
        laser.fire(0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
        EXPECT_EQ(count(match->layer(L::LAYER_CANNON_BALLS)), detail + 1);
        EXPECT_EQ(count(match->layer(L::LAYER_BEAMS)), detail + 1);
        EXPECT_EQ(count(match->layer(L::LAYER_SMOKE)), detail);
        EXPECT_EQ(count(match->layer(L::LAYER_FIREWORKS)), detail);
    }
    harness->app->saveData.graphicsDetail = harness->settings.graphicsDetail;
    Explosion* flash = last<Explosion>(match->layer(L::LAYER_SMOKE));
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->count, 1);
    EXPECT_EQ(flash->decayRate, 256.0f);
    Firework* flares = last<Firework>(match->layer(L::LAYER_FIREWORKS));
    ASSERT_NE(flares, nullptr);
    EXPECT_EQ(flares->count, 10);
}

TEST_F(WeaponsTest, SwitchingHandsOutTheSixWeaponsWithPopupAndSound) {
    GameController* match = start();
    Vehicle* v = giveVehicle(match, 1);
    Reference<Weapon> previous(nullptr);
    const char* names[] = {"cannonball", "autocannon", "bubblegun", "laser", "lightning", "rocket"};
    for (int index = 0; index < GameController::WEAPON_COUNT; ++index) {
        SCOPED_TRACE(index);
        v->blasterEnergy = 0.1f;
        const size_t sounds = harness->log.linesOf("sound").size();
        const int popups = match->playerHud[1]->getNumChildren();
        match->switchWeapon(1, index, false);
        EXPECT_EQ(previous.get(), nullptr); // the old weapon is deleted
        ASSERT_NE(v->weapon, nullptr);
        previous.set(v->weapon);
        EXPECT_EQ(std::string(v->weapon->name.c_str()), names[index]);
        EXPECT_EQ(v->weapon->player, 1);
        EXPECT_EQ(v->blasterEnergy, v->maxBlasterEnergy);
        ASSERT_EQ(match->playerHud[1]->getNumChildren(), popups + 1);
        PlayerHUDBonus* popup = dynamic_cast<PlayerHUDBonus*>(static_cast<PlimBase*>(match->playerHud[1]->lastChild));
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(std::string(popup->caption.c_str()), names[index]);
        const std::vector<std::string> played = harness->log.linesOf("sound");
        ASSERT_EQ(played.size(), sounds + 1);
        const bool lower = played.back().find("switchWeaponLower") != std::string::npos;
        EXPECT_EQ(lower, index == 0) << played.back();
    }
    EXPECT_NE(dynamic_cast<WeaponRocket*>(v->weapon), nullptr);
    match->switchWeapon(1, 0, true);
    EXPECT_NE(dynamic_cast<WeaponCannonBallCampaign*>(v->weapon), nullptr);
    EXPECT_EQ(previous.get(), nullptr);
    v->blasterEnergy = 0.0f;
    const size_t sounds = harness->log.linesOf("sound").size();
    const int popups = match->playerHud[1]->getNumChildren();
    match->switchWeapon(1, 4, true);
    EXPECT_NE(dynamic_cast<WeaponLightning*>(v->weapon), nullptr);
    EXPECT_EQ(v->blasterEnergy, 1.0f);
    EXPECT_EQ(match->playerHud[1]->getNumChildren(), popups);
    EXPECT_EQ(harness->log.linesOf("sound").size(), sounds);
}

} // namespace
