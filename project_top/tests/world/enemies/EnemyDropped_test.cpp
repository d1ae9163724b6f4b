// The enemies that come down on the island, in a scripted match: the atom
// bomb's aim, limited turn, trail and loyalty to a burnt palm; the missile's
// arc through its palm's centre (also when it enters beyond the palm or right
// by it), its speed, flame, exits and explosion; the crate's fall, parachute,
// points and weapons; and the splash of all three in the sea.
#include "render/Camera.h"
#include "ContextBlender.h"
#include "EnemyFixture.h"
#include "render/Skin.h"
#include "audio/Sound.h"
#include "render/Texture.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "world/effects/Sparc.h"
#include "world/effects/Splash.h"
#include "world/enemies/AtomBomb.h"
#include "world/enemies/Ballistic.h"
#include "world/enemies/Crate.h"
#include "world/weapons/Weapon.h"
#include "world/weapons/WeaponLaser.h"
#include "util/PlimMath.h"

#include <algorithm>
#include <cmath>

namespace {

using L = GameController;
using AtomBombTest = EnemyTest;
using BallisticTest = EnemyTest;
using CrateTest = EnemyTest;

float distance(V3 a, V3 b) { return std::hypot(a.x - b.x, a.y - b.y); }

TEST_F(AtomBombTest, AimsAtTheIslandTurnsSlowlyAndKeepsItsBurntPalm) {
    startMatch();
    std::vector<Palm*> palms = island(-50.0f, -20.0f, {-50.0f});
    // Entry: toward the island, at most 45 degrees off.
    for (int i = 0; i < 200; ++i) {
        AtomBomb* bomb = enter(new AtomBomb());
        const float toIsland = std::atan2(-20.0f - bomb->position.y, -50.0f - bomb->position.x);
        const float off = GameObject::angleDelta(toIsland, bomb->heading);
        EXPECT_GE(off, -PI / 4.0f - 1e-5f);
        EXPECT_LT(off, PI / 4.0f + 1e-5f);
        EXPECT_TRUE(bomb->bHitsPalms);
        bomb->bDestroyPending = true;
    }

    // Facing away from its palm, it circles round at 0.4 rad/s at most.
    AtomBomb* bomb = enter(new AtomBomb());
    bomb->position = V3(-300.0f, 150.0f, 0.0f);
    bomb->heading = PI;
    bomb->tick(0.0, 0.01);
    Palm* target = palms[0];
    ASSERT_EQ(bomb->targetPalm.get(), target);
    float closest = 1e9f;
    for (int i = 0; i < 3000 && closest > 5.0f; ++i) {
        const float before = bomb->heading;
        bomb->tick(0.0, 0.01);
        ASSERT_LE(std::fabs(GameObject::angleDelta(before, bomb->heading)), 0.004f + 1e-6f) << i;
        EXPECT_NEAR(std::hypot(bomb->velocity.x, bomb->velocity.y), 50.0f, 1e-3f);
        EXPECT_EQ(bomb->rotation.z, bomb->heading);
        closest = std::min(closest, distance(bomb->position, target->boundsCenter));
    }
    EXPECT_LE(closest, 5.0f);

    // A burnt palm stays its target.
    target->onDestroyed(nullptr);
    for (int i = 0; i < 200; ++i) {
        target->tick(0.0, 0.01);
        bomb->tick(0.0, 0.01);
    }
    EXPECT_EQ(target->state, Palm::STATE_BURNT);
    EXPECT_EQ(bomb->targetPalm.get(), target);
}

TEST_F(AtomBombTest, TrailsGreySmokeAndSplashesWithoutExplodingInTheSea) {
    startMatch();
    // No island and no palm: it aims at the origin, never at a null palm.
    AtomBomb* bomb = enter(new AtomBomb());
    const float toOrigin = std::atan2(-bomb->position.y, -bomb->position.x);
    EXPECT_LE(std::fabs(GameObject::angleDelta(toOrigin, bomb->heading)), PI / 4.0f + 1e-5f);
    bomb->position = V3(0.0f, 50.0f, 0.0f);
    bomb->heading = -PI / 2.0f;
    const size_t sounds = soundMark();
    bomb->tick(0.0, 0.015);
    EXPECT_EQ(bomb->targetPalm.get(), nullptr);
    Smoke* smoke = static_cast<Smoke*>(static_cast<PlimBase*>(layer(L::LAYER_SMOKE)->firstChild));
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(smoke->particles[0].color, UColor(128, 128, 128, 255));
    EXPECT_NEAR(smoke->particles[0].position.y, 50.0f + 20.0f, 0.01f);
    int ticks = 0;
    while (!bomb->bDestroyPending && ticks < 1000) bomb->tick(0.0, 0.01), ++ticks;
    ASSERT_TRUE(bomb->bDestroyPending);
    EXPECT_NE(lastOf<Splash>(layer(L::LAYER_FIREWORKS)), nullptr);
    EXPECT_EQ(lastOf<Explosion>(layer(L::LAYER_FIREWORKS)), nullptr);
    EXPECT_EQ(soundsSince(sounds), std::vector<std::string>{"smallSplash"});

    // At detail 0: no trail, no splash, still the sound.
    DetailSetting low(0);
    AtomBomb* quiet = enter(new AtomBomb());
    quiet->position = V3(0.0f, -20.0f, 0.0f);
    quiet->heading = -PI / 2.0f;
    const int effects = MatchHarness::liveChildren(layer(L::LAYER_FIREWORKS));
    const int puffs = MatchHarness::liveChildren(layer(L::LAYER_SMOKE));
    while (!quiet->bDestroyPending) quiet->tick(0.0, 0.05);
    EXPECT_EQ(MatchHarness::liveChildren(layer(L::LAYER_FIREWORKS)), effects);
    EXPECT_EQ(MatchHarness::liveChildren(layer(L::LAYER_SMOKE)), puffs);

    // Shot: a burst of 4 + 6 x detail and the short explosion at 0 to 0.5.
    AtomBomb* shot = enter(new AtomBomb());
    Shooter gun(0, V3(0, 100, 0));
    gun.dealDamage(shot, 1.0f);
    EXPECT_TRUE(shot->bDestroyPending);
    EXPECT_EQ(lastOf<Explosion>(layer(L::LAYER_FIREWORKS))->count, 4);
    EXPECT_EQ(World::sound("explosionShort")->pitchMax, 0.5f);
    EXPECT_EQ(match->playerData[0]->score, 500);
}

// Ticks at dt until it is gone or the time is up; the closest it came to p.
float flyPast(Ballistic* missile, V3 p, double dt, double seconds) {
    float closest = 1e9f;
    for (int i = 0; i < int(seconds / dt) && !missile->bDestroyPending; ++i) {
        missile->tick(0.0, dt);
        closest = std::min(closest, distance(missile->position, p));
    }
    return closest;
}

TEST_F(BallisticTest, ItsArcPassesThroughItsPalmsCentre) {
    startMatch();
    Palm* palm = island(0.0f, -20.0f, {60.0f})[0];
    const size_t sounds = soundMark();
    Ballistic* missile = enter(new Ballistic());
    EXPECT_EQ(soundsSince(sounds), std::vector<std::string>{"ballisticEntry"});
    EXPECT_EQ(std::fabs(missile->velocity.x), 50.0f); // difficulty 0
    EXPECT_EQ(missile->acceleration.y, -4.0f);
    EXPECT_TRUE(missile->bHitsPalms);
    EXPECT_LT(flyPast(missile, palm->boundsCenter, 0.001, 30.0), 1.0f);

    // Entering beyond the palm (the camera offset right, the palm further
    // right than the entry): it still flies at the palm, not away from it.
    Camera* camera = match->scene->camera;
    camera->position.x = 100.0f;
    const Rect view = camera->getVisibleRect(0.0f);
    palm->position.x = view.right + 200.0f;
    palm->updateVisuals();
    Ballistic* beyond = enter(new Ballistic(), 1.0f);
    EXPECT_GT(beyond->velocity.x, 0.0f);
    EXPECT_GE(beyond->velocity.x, 50.0f);
    EXPECT_LE(beyond->velocity.x, 100.0f);
    EXPECT_LT(flyPast(beyond, palm->boundsCenter, 0.001, 30.0), 1.0f);

    // Right by the palm: moved 16 units right of it first.
    Ballistic probe;
    palm->position.x = view.right + probe.pSkin->width - 10.0f;
    palm->updateVisuals();
    Ballistic* close = enter(new Ballistic());
    EXPECT_FLOAT_EQ(close->position.x, palm->boundsCenter.x + 16.0f);
    EXPECT_LT(close->velocity.x, 0.0f);
    EXPECT_LT(flyPast(close, palm->boundsCenter, 0.001, 30.0), 1.0f);
}

TEST_F(BallisticTest, WithoutAPalmItAimsAtTheIslandOrTheOrigin) {
    startMatch();
    Ballistic* free = enter(new Ballistic());
    EXPECT_LT(flyPast(free, V3(0.0f, 0.0f, 0.0f), 0.001, 30.0), 1.0f);
    Renderable* land = new Renderable();
    land->position = V3(-120.0f, -20.0f, 0.0f);
    layer(L::LAYER_ISLANDS)->addChild(land);
    match->playerData[0]->pIsland.set(land);
    Ballistic* atIsland = enter(new Ballistic());
    EXPECT_LT(flyPast(atIsland, land->position, 0.001, 30.0), 1.0f);
}

TEST_F(BallisticTest, LeavesOnlySidewaysShowsItsFlameAndExplodes) {
    startMatch();
    Ballistic* missile = enter(new Ballistic());
    const Rect view = match->scene->camera->getVisibleRect(0.0f);
    // Above the top, out of sight: it comes back down.
    missile->position = V3(0.0f, view.top + 100.0f, 0.0f);
    missile->velocity = V3(5.0f, 20.0f, 0.0f);
    missile->updateVisuals();
    harness->steps(3);
    EXPECT_EQ(MatchHarness::liveChildren(layer(L::LAYER_ENEMIES)), 1);
    EXPECT_FALSE(missile->bVisible);
    // Past the right edge moving right: gone.
    missile->position = V3(view.right + 100.0f, 0.0f, 0.0f);
    missile->updateVisuals();
    harness->steps(3);
    EXPECT_EQ(MatchHarness::liveChildren(layer(L::LAYER_ENEMIES)), 0);

    // The flame shows nothing until its first change, then 2, 3, ... 8, 1.
    Ballistic* flaming = enter(new Ballistic());
    EXPECT_EQ(flaming->flame.pSkin, nullptr);
    Texture* pictures = World::texture("ballistic");
    EXPECT_GE(flaming->flameInterval, 0.025);
    EXPECT_LT(flaming->flameInterval, 0.275);
    std::vector<int> shown;
    Skin* last = nullptr;
    for (int i = 0; i < 4000 && shown.size() < 9; ++i) {
        flaming->tick(0.0, 0.001);
        if (flaming->flame.pSkin == last) continue;
        last = flaming->flame.pSkin;
        shown.push_back(int(std::find(pictures->skins.begin(), pictures->skins.end(), last) - pictures->skins.begin()));
    }
    EXPECT_EQ(shown, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 1, 2}));
    EXPECT_EQ(flaming->flame.position, flaming->position);

    const size_t sounds = soundMark();
    Shooter gun(1, V3(0, 300, 0));
    gun.dealDamage(flaming, 1.0f);
    EXPECT_TRUE(flaming->bDestroyPending);
    Explosion* burst = lastOf<Explosion>(layer(L::LAYER_FIREWORKS));
    ASSERT_NE(burst, nullptr);
    EXPECT_EQ(burst->count, 14);
    EXPECT_EQ(soundsSince(sounds), std::vector<std::string>{"explosionShort"});
    EXPECT_EQ(World::sound("explosionShort")->pitchMin, -0.5f);
    EXPECT_EQ(match->playerData[1]->score, 750);
}

TEST_F(CrateTest, FallsOnItsParachuteAndScoresOrGivesItsWeapon) {
    startMatch();
    Vehicle* gunner0 = giveVehicle(match, 0);
    Vehicle* gunner1 = giveVehicle(match, 1);
    float slowest = 1e9f, fastest = 0.0f;
    const Rect view = match->scene->camera->getVisibleRect(0.0f);
    for (int i = 0; i < 500; ++i) {
        Crate* crate = enter(new Crate(Crate::KIND_PLAIN));
        slowest = std::min(slowest, -crate->velocity.y);
        fastest = std::max(fastest, -crate->velocity.y);
        EXPECT_LE(std::fabs(crate->rotation.z), PI / 16.0f);
        EXPECT_GT(crate->position.y, view.top);
        EXPECT_EQ(crate->parachute.position, V3(crate->position.x, crate->position.y + 36.0f, 0.0f));
        crate->bDestroyPending = true;
    }
    EXPECT_GE(slowest, 32.0f);
    EXPECT_LT(slowest, 33.0f);
    EXPECT_LT(fastest, 64.0f);
    EXPECT_GT(fastest, 63.0f);

    Crate* laser = enter(new Crate(Crate::KIND_LASER));
    EXPECT_EQ(laser->velocity.y, -16.0f);
    EXPECT_EQ(laser->pSkin, World::frame(World::texture("crate"), 3));
    laser->tick(0.0, 0.5);
    EXPECT_EQ(laser->parachute.position.y, laser->position.y + 36.0f);

    // A plain crate: 250 points and no weapon.
    Crate* plain = enter(new Crate(Crate::KIND_PLAIN));
    Weapon* kept = gunner0->weapon;
    Shooter gun0(0, V3(0, 100, 0));
    size_t sounds = soundMark();
    gun0.dealDamage(plain, 1.0f);
    EXPECT_TRUE(plain->bDestroyPending);
    EXPECT_EQ(match->playerData[0]->score, 250);
    EXPECT_EQ(gunner0->weapon, kept);
    EXPECT_EQ(soundsSince(sounds), std::vector<std::string>{"crateBreak"});
    EXPECT_EQ(lastOf<Explosion>(layer(L::LAYER_FIREWORKS))->count, 10);

    // Broken by nobody: it breaks, nobody gets the laser.
    Crate* loose = enter(new Crate(Crate::KIND_LASER));
    GameObject stray(-1);
    stray.dealDamage(loose, 1.0f);
    EXPECT_TRUE(loose->bDestroyPending);
    EXPECT_EQ(gunner0->weapon, kept);
    EXPECT_EQ(gunner1->weapon, nullptr);

    // A laser crate shot by player 1: player 1 holds the laser.
    Shooter gun1(1, V3(0, 100, 0));
    sounds = soundMark();
    gun1.dealDamage(laser, 1.0f);
    EXPECT_NE(dynamic_cast<WeaponLaser*>(gunner1->weapon), nullptr);
    EXPECT_EQ(soundsSince(sounds), (std::vector<std::string>{"crateBreak", "switchWeapon"}));

    // Into the sea: a splash and gone, nothing damaged.
    Crate* sinking = enter(new Crate(Crate::KIND_PLAIN));
    sinking->position = V3(0.0f, -20.0f, 0.0f);
    sounds = soundMark();
    while (!sinking->bDestroyPending) sinking->tick(0.0, 0.01);
    EXPECT_EQ(soundsSince(sounds), std::vector<std::string>{"smallSplash"});
    EXPECT_NE(lastOf<Splash>(layer(L::LAYER_FIREWORKS)), nullptr);
}

} // namespace
