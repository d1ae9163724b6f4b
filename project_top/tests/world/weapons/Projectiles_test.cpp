// The shots that fly on their own: gravity and orientation, the bomb range,
// bouncing bombs, sinking with splashes, the explosions and their sounds, the
// bullet's straight flight, and the line search the beams use. The objects are
// ticked directly with dt 0.01 inside a real match.
#include "WeaponFixture.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "world/effects/Sparc.h"
#include "world/effects/Splash.h"
#include "world/weapons/Bomb.h"
#include "world/weapons/BombCampaign.h"
#include "world/weapons/BomberBomb.h"
#include "world/weapons/Bullet.h"
#include "world/weapons/CannonBall.h"
#include "world/weapons/Laser.h"
#include "world/weapons/Rocket.h"
#include "world/weapons/Swarm.h"
#include "util/PlimMath.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using ProjectilesTest = MatchTest;
using L = GameController;

const double DT = 0.01;

template <class T> std::vector<T*> effects(GameController* match) {
    std::vector<T*> found;
    for (BasicLink* c = match->layer(L::LAYER_FIREWORKS)->firstChild; c; c = c->next)
        if (T* t = dynamic_cast<T*>(static_cast<PlimBase*>(c))) found.push_back(t);
    return found;
}

TEST_F(ProjectilesTest, BombsFallNoseFirstAndEnemyBombsAtAQuarterOfTheGravity) {
    GameController* match = start();
    match->bLimitBombRange = false;
    Bomb bomb(0, 0.0f, 100.0f, 0.0f, 200.0f, 0.0f, 0.0f);
    BombCampaign slow(1, 0.0f, 100.0f, 0.0f, 200.0f, 0.0f, 0.0f);
    BomberBomb rocking(0.0f, 100.0f, 0.0f, 100.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(rocking.owner, -1);
    EXPECT_EQ(rocking.rotation.z, 1.0f); // until the first tick
    for (int i = 1; i <= 50; ++i) {
        const double time = i * DT;
        bomb.tick(time, DT);
        slow.tick(time, DT);
        rocking.tick(time, DT);
        EXPECT_NEAR(rocking.rotation.z, 0.125f * std::sin(rocking.wobblePhase + 8.0f * float(time)), 1e-5f);
    }
    EXPECT_NEAR(bomb.velocity.y, -128.0f * 0.5f, 1e-3f);
    EXPECT_NEAR(slow.velocity.y, -32.0f * 0.5f, 1e-3f);
    EXPECT_NEAR(rocking.velocity.y, -64.0f * 0.5f, 1e-3f);
    EXPECT_FLOAT_EQ(bomb.rotation.z, std::atan2(bomb.velocity.y, bomb.velocity.x));
    EXPECT_FLOAT_EQ(bomb.heading, bomb.rotation.z);
    EXPECT_EQ(bomb.collisionSensitivity, 0.9f);
    EXPECT_EQ(rocking.heading, 0.0f); // never turns to its path
}

TEST_F(ProjectilesTest, ALimitedBombEndsInOnePuffAfterThreeSeconds) {
    GameController* match = start();
    const size_t sounds = harness->log.lines.size();
    Bomb* bomb = new Bomb(0, 0.0f, 0.0f, 0.0f, 0.0f, 200.0f, 0.0f);
    match->layer(L::LAYER_BOMBS)->addChild(bomb);
    int ticks = 0;
    while (!bomb->bDestroyPending && ticks < 400) bomb->tick(++ticks * DT, DT);
    EXPECT_EQ(ticks, 301); // age > 3.0
    EXPECT_GT(bomb->position.y, GameObject::WATER_LINE);
    ASSERT_EQ(effects<Smoke>(match).size(), 1u);
    EXPECT_EQ(effects<Smoke>(match)[0]->count, 1);
    EXPECT_TRUE(effects<Explosion>(match).size() == 1); // the puff only
    EXPECT_TRUE(soundsSince(harness, sounds).empty());
}

TEST_F(ProjectilesTest, BouncyBombsBounceTwiceThenSinkSplashingEachTime) {
    GameController* match = start();
    match->bLimitBombRange = false;
    match->bBouncyBombs = true;
    const size_t sounds = harness->log.lines.size();
    Bomb bomb(0, 0.0f, -24.5f, 0.0f, 30.0f, -100.0f, 0.0f);
    std::vector<float> leaving;
    for (int i = 1; i <= 300 && !bomb.bDestroyPending; ++i) {
        const float before = bomb.velocity.y;
        bomb.tick(i * DT, DT);
        if (before < 0.0f && bomb.velocity.y > 0.0f) leaving.push_back(bomb.velocity.y);
    }
    // The third contact would leave at about 12.5, below 20: it sinks.
    ASSERT_EQ(leaving.size(), 3u);
    EXPECT_NEAR(leaving[0], 50.0f, 1.0f);
    EXPECT_NEAR(leaving[1], 25.0f, 1.5f);
    EXPECT_NEAR(leaving[2], 12.5f, 2.5f); // frame granularity at the small bounce
    EXPECT_LT(leaving[2], Bomb::MIN_BOUNCE_SPEED);
    EXPECT_TRUE(bomb.bDestroyPending);
    EXPECT_EQ(effects<Splash>(match).size(), 3u);
    EXPECT_EQ(soundsSince(harness, sounds), std::vector<std::string>(3, "smallSplash"));

    // Without the mutator the bomb sinks at once.
    match->bBouncyBombs = false;
    Bomb plain(0, 0.0f, -24.5f, 0.0f, 30.0f, -100.0f, 0.0f);
    plain.tick(DT, DT);
    EXPECT_TRUE(plain.bDestroyPending);
    EXPECT_EQ(effects<Splash>(match).size(), 4u);
}

TEST_F(ProjectilesTest, ExplosionsHaveFourOrTenPiecesAndOnlyBombsSound) {
    GameController* match = start();
    for (int detail = 0; detail <= 1; ++detail) {
        SCOPED_TRACE(detail);
        harness->app->saveData.graphicsDetail = detail;
        match->layer(L::LAYER_FIREWORKS)->destroyChildren();
        const size_t sounds = harness->log.lines.size();
        Bomb bomb(0, 0.0f, 0.0f, 0.0f, 10.0f, 0.0f, 0.0f);
        HitTarget wall(1, V3(0.0f, 0.0f, 0.0f));
        wall.dealDamage(&bomb, 1.0f);
        EXPECT_TRUE(bomb.bDestroyPending);
        CannonBall shell(0, 0.0f, 0.0f, 0.0f, 10.0f, 0.0f, 0.0f);
        wall.dealDamage(&shell, 1.0f);
        Bullet bullet(0, 0.0f, 0.0f, 0.0f, 0.0f, 512.0f, 0.0f);
        wall.dealDamage(&bullet, 1.0f);
        const std::vector<Explosion*> bursts = effects<Explosion>(match);
        ASSERT_EQ(bursts.size(), 3u);
        EXPECT_EQ(bursts[0]->count, 6 * detail + 4);
        EXPECT_EQ(bursts[1]->count, 6 * detail + 4);
        EXPECT_EQ(bursts[2]->count, 5);
        EXPECT_EQ(bursts[2]->maxSpeed, 50.0f);
        // A bomb sounds at a pitch of 1 to 1.5; the shell and the bullet are silent.
        ASSERT_EQ(soundsSince(harness, sounds), std::vector<std::string>{"explosionShort"});
        const std::string line = harness->log.lines.back();
        EXPECT_NE(line.find("0.000..0.500"), std::string::npos) << line;
    }
    harness->app->saveData.graphicsDetail = harness->settings.graphicsDetail;
}

TEST_F(ProjectilesTest, SinkingShotsSplashOnlyAtHighDetail) {
    GameController* match = start();
    // A bullet below the water line goes with a splash of slow drops.
    Bullet bullet(0, 0.0f, -24.5f, 0.0f, 0.0f, -100.0f, 0.0f);
    bullet.tick(DT, DT);
    EXPECT_TRUE(bullet.bDestroyPending);
    ASSERT_EQ(effects<Splash>(match).size(), 1u);
    Splash* drops = effects<Splash>(match)[0];
    float fastest = 0.0f;
    for (int i = 0; i < drops->count; ++i)
        fastest = std::fmax(fastest, std::hypot(drops->particles[i].vx, drops->particles[i].vy));
    EXPECT_EQ(drops->count, 20);
    EXPECT_LE(fastest, 100.0f);
    EXPECT_GT(fastest, 0.0f);

    harness->app->saveData.graphicsDetail = 0;
    const size_t sounds = harness->log.lines.size();
    CannonBall shell(0, 0.0f, -24.5f, 0.0f, 0.0f, -100.0f, 0.0f);
    shell.tick(DT, DT);
    EXPECT_TRUE(shell.bDestroyPending);
    EXPECT_EQ(effects<Splash>(match).size(), 1u); // no splash, still the sound
    EXPECT_EQ(soundsSince(harness, sounds), std::vector<std::string>{"smallSplash"});
    harness->app->saveData.graphicsDetail = harness->settings.graphicsDetail;
}

TEST_F(ProjectilesTest, RocketsTrailSmokeAtHighDetailAndBubblesWeaveUnderTheWater) {
    GameController* match = start();
    PlimBase* smoke = match->layer(L::LAYER_SMOKE);
    for (int detail = 0; detail <= 1; ++detail) {
        SCOPED_TRACE(detail);
        harness->app->saveData.graphicsDetail = detail;
        smoke->destroyChildren();
        Rocket rocket(0, 0.0f, 100.0f, 0.0f, 0.0f, 500.0f);
        for (int i = 1; i <= 10; ++i) rocket.tick(i * DT, DT);
        // A puff of two whenever 0.015 s have gathered: every second tick.
        EXPECT_EQ(smoke->getNumChildren(), 5 * detail);
        if (detail) {
            Smoke* newest = dynamic_cast<Smoke*>(static_cast<PlimBase*>(smoke->firstChild));
            ASSERT_NE(newest, nullptr);
            EXPECT_EQ(newest->count, 2);
            EXPECT_NEAR(newest->particles[0].position.x, rocket.position.x - 16.0f, 1e-3f); // behind, at the front
        }
        EXPECT_FLOAT_EQ(rocket.position.x, 50.0f);
    }
    harness->app->saveData.graphicsDetail = harness->settings.graphicsDetail;

    // A destroyed rocket ends in a puff of ten and "missileHit"; one in the sea sinks.
    size_t from = harness->log.lines.size();
    Rocket hit(0, 0.0f, 100.0f, 0.0f, 0.0f, 500.0f);
    HitTarget wall(1, V3(0.0f, 0.0f, 0.0f));
    wall.dealDamage(&hit, 1.0f);
    ASSERT_EQ(effects<Smoke>(match).size(), 1u);
    EXPECT_EQ(effects<Smoke>(match)[0]->count, 10);
    Rocket diving(0, 0.0f, -24.5f, 0.0f, -PI / 2.0f, 100.0f);
    diving.tick(DT, DT);
    EXPECT_TRUE(diving.bDestroyPending);
    EXPECT_EQ(soundsSince(harness, from), (std::vector<std::string>{"missileHit", "smallSplash"}));

    // Three bubbles of one shot weave on three paths, under the water line too.
    Swarm a(0, 0.0f, -20.0f, 0.0f, -0.3f, 768.0f), b(0, 0.0f, -20.0f, 0.0f, -0.3f, 768.0f),
        c(0, 0.0f, -20.0f, 0.0f, -0.3f, 768.0f);
    for (int i = 1; i <= 20; ++i)
        for (Swarm* bubble : {&a, &b, &c}) bubble->tick(i * DT, DT);
    EXPECT_FALSE(a.bDestroyPending || b.bDestroyPending || c.bDestroyPending);
    EXPECT_LT(a.position.y, GameObject::WATER_LINE);
    EXPECT_NE(a.position.y, b.position.y);
    EXPECT_NE(b.position.y, c.position.y);
    for (Swarm* bubble : {&a, &b, &c}) {
        EXPECT_EQ(bubble->heading, -0.3f);
        EXPECT_LE(std::fabs(std::atan2(bubble->velocity.y, bubble->velocity.x) + 0.3f), PI / 4.0f + 1e-4f);
        EXPECT_NEAR(std::hypot(bubble->velocity.x, bubble->velocity.y), 768.0f, 0.01f);
    }
    from = harness->log.lines.size();
    wall.dealDamage(&a, 1.0f);
    EXPECT_EQ(soundsSince(harness, from), std::vector<std::string>{"bubbleBurst"});
}

TEST_F(ProjectilesTest, TheLineSearchFindsTheNearestCrossedCircleBothWays) {
    GameController* match = start();
    Laser probe(0, 0.0f, 0.0f, 0.0f, 0.0f); // along +x
    PlimBase* layer = match->layer(L::LAYER_ENEMIES);
    GameObject* best = nullptr;
    float bestDistSq = 1024.0f * 1024.0f;
    probe.findNearestInLine(layer, best, bestDistSq);
    EXPECT_EQ(best, nullptr);
    EXPECT_EQ(bestDistSq, 1024.0f * 1024.0f);

    HitTarget* far = new HitTarget(1, V3(2000.0f, 0.0f, 0.0f));
    layer->addChild(far);
    probe.findNearestInLine(layer, best, bestDistSq);
    EXPECT_EQ(best, nullptr);

    HitTarget* off = new HitTarget(1, V3(100.0f, 200.0f, 0.0f)); // not on the line
    HitTarget* first = new HitTarget(1, V3(300.0f, 0.0f, 0.0f));
    HitTarget* tie = new HitTarget(1, V3(-300.0f, 0.0f, 0.0f)); // behind, same distance
    layer->addChild(off);
    layer->addChild(first);
    layer->addChild(tie);
    probe.findNearestInLine(layer, best, bestDistSq);
    EXPECT_EQ(best, first);
    const V3 d = first->boundsCenter;
    EXPECT_FLOAT_EQ(bestDistSq, d.x * d.x + d.y * d.y);

    HitTarget* behind = new HitTarget(1, V3(-100.0f, 5.0f, 0.0f));
    layer->addChild(behind);
    probe.findNearestInLine(layer, best, bestDistSq);
    EXPECT_EQ(best, behind);
    behind->bDestroyPending = true; // passed over
    best = nullptr;
    bestDistSq = 1024.0f * 1024.0f;
    probe.findNearestInLine(layer, best, bestDistSq);
    EXPECT_EQ(best, first);
}

} // namespace
