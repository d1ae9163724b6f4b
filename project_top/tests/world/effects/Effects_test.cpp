// Explosions, smoke, splashes with their rings, fireworks and fuses over the
// real data: the archive's animations, particle launch and life, frames,
// gravity and the splash's resting drops, the end of an effect, and a fuse's
// trail, apex and burst.
#include "MatchFixture.h"
#include "PoseChecks.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "util/Random.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "audio/Sound.h"
#include "render/Texture.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Firework.h"
#include "world/effects/FireworkFuse.h"
#include "world/effects/Smoke.h"
#include "world/effects/Sparc.h"
#include "world/effects/Splash.h"
#include "util/PlimMath.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

using EffectsTest = MatchTest;

// Restores the detail setting a test changes.
struct Detail {
    explicit Detail(int value) : saved(gGlobal->saveData.graphicsDetail) { gGlobal->saveData.graphicsDetail = value; }
    ~Detail() { gGlobal->saveData.graphicsDetail = saved; }
    int saved;
};

// The Firework children of a holder, in order.
std::vector<Firework*> bursts(PlimBase& holder) {
    std::vector<Firework*> found;
    for (BasicLink* c = holder.firstChild; c; c = c->next)
        if (auto* f = dynamic_cast<Firework*>(static_cast<PlimBase*>(c))) found.push_back(f);
    return found;
}

TEST_F(EffectsTest, ArchiveHoldsEveryPictureAndSoundWithItsFrames) {
    const std::pair<const char*, size_t> textures[] = {{"explosion", 16}, {"smoke", 16},  {"splash", 8},
                                                       {"circularSplash", 8}, {"flare", 1}, {"palm", 1},
                                                       {"balloons", 7},  {"hud-bonusicons", 6}};
    for (const auto& t : textures) EXPECT_EQ(World::frames(t.first)->skins.size(), t.second) << t.first;
    for (const char* name : {"fireworkBang", "fireworkLaunch", "treeBurn", "nyuck", "bonusPickup+", "bonusPickup-",
                             "balloonPop"})
        EXPECT_NE(World::sound(name), nullptr) << name;
}

TEST_F(EffectsTest, EmptyEffectsEndOnTheirFirstTick) {
    start();
    std::vector<std::unique_ptr<PlimBase>> effects;
    effects.emplace_back(new Explosion(Emission(V3(0, 0, 0)).speeds(0, 50).spreading(PI)));
    effects.emplace_back(
        new Smoke(Emission(V3(0, 0, 0)).particles(-3).speeds(0, 50).spreading(PI), UColor(1, 2, 3, 4)));
    effects.emplace_back(new Splash(Emission(V3(0, 0, 0)).particles(-1).speeds(0, 50).spreading(PI)));
    effects.emplace_back(new Firework(Emission(V3(0, 0, 0)).speeds(0, 50).spreading(PI), UColor(1, 2, 3, 4)));
    for (auto& e : effects) {
        EXPECT_FALSE(e->bDestroyPending);
        e->tick(0.0, 0.01);
        EXPECT_TRUE(e->bDestroyPending);
    }
    EXPECT_EQ(static_cast<Explosion*>(effects[1].get())->count, 0);
    EXPECT_EQ(static_cast<Splash*>(effects[2].get())->count, 0);

    // In a layer: gone after the walk that follows.
    harness->controller->layer(GameController::LAYER_FIREWORKS)
        ->addChild(new Explosion(Emission(V3(0, 0, 0)).speeds(0, 1)));
    harness->steps(2);
    EXPECT_EQ(harness->controller->layer(GameController::LAYER_FIREWORKS)->getNumChildren(), 0u);
}

TEST_F(EffectsTest, ConeEdgesBurnOutSoonerAndFullCirclesDoNot) {
    start();
    Explosion cone(Emission(V3(10, 20, 5)).particles(2000).speeds(20, 100).toward(PI / 2).spreading(PI).scaled(1.5f));
    float lowest = 1.0f;
    for (int i = 0; i < cone.count; ++i) {
        const Sparc& p = cone.particles[i];
        const float speed = std::hypot(p.vx, p.vy);
        const float offset = std::atan2(p.vy, p.vx) - PI / 2;
        ASSERT_GE(speed, 20.0f - 1e-3f);
        ASSERT_LT(speed, 100.0f + 1e-3f);
        ASSERT_LE(std::fabs(offset), PI / 2 + 1e-4f);
        EXPECT_NEAR(p.life, speed * (1.0f - 0.9f * std::fabs(offset) / (PI / 2)), 1e-3f);
        EXPECT_EQ(p.position, V3(10, 20, 5));
        EXPECT_EQ(p.scale.x, 1.5f);
        EXPECT_TRUE(p.bSkipVisibility);
        lowest = std::min(lowest, p.life / speed);
    }
    EXPECT_NEAR(lowest, 0.1f, 0.01f); // an edge particle: a tenth of its speed

    Smoke circle(Emission(V3(0, 0, 0)).particles(200).speeds(0, 40).spreading(2 * PI), UColor(9, 8, 7, 255));
    Explosion line(Emission(V3(0, 0, 0)).particles(20).speeds(10, 40).toward(1.0f));
    for (int i = 0; i < 200; ++i) {
        EXPECT_FLOAT_EQ(circle.particles[i].life, std::hypot(circle.particles[i].vx, circle.particles[i].vy));
        EXPECT_EQ(circle.particles[i].color, UColor(9, 8, 7, 255));
    }
    for (int i = 0; i < 20; ++i) EXPECT_NEAR(std::atan2(line.particles[i].vy, line.particles[i].vx), 1.0f, 1e-5f);
    EXPECT_EQ(circle.frames, World::frames("smoke"));
    EXPECT_EQ(line.frames, World::frames("explosion"));
}

// Later events draw from the same generator: each effect's draws keep their
// order and count.
TEST_F(EffectsTest, ParticlesDrawTheirOffsetSpinAndSpeedInOrder) {
    start();
    Random::seed(11);
    std::vector<float> u;
    for (int i = 0; i < 7; ++i) u.push_back(World::fraction());
    const Emission shape = Emission(V3(1, 2, 3)).particles(2).speeds(10, 30).toward(0.5f).spreading(PI).scaled(2);
    Random::seed(11);
    Explosion burst(shape);
    EXPECT_EQ(World::fraction(), u[6]);
    Random::seed(11);
    Splash splash(shape); // no spin: each drop is turned against its offset
    EXPECT_EQ(World::fraction(), u[4]);
    for (int i = 0; i < 2; ++i) {
        const float offset = u[3 * i] * PI - PI / 2.0f, speed = 10.0f + u[3 * i + 2] * 20.0f;
        EXPECT_EQ(burst.particles[i].rotation.z, u[3 * i + 1] * (2 * PI));
        EXPECT_EQ(burst.particles[i].vy, speed * std::sin(0.5f + offset));
        const float dropOffset = u[2 * i] * PI - PI / 2.0f, dropSpeed = 10.0f + u[2 * i + 1] * 20.0f;
        EXPECT_EQ(splash.particles[i].rotation.z, 0.5f - 2.0f * dropOffset);
        EXPECT_EQ(splash.particles[i].vx, dropSpeed * std::cos(0.5f + dropOffset));
    }
    Random::seed(11);
    Firework flares(shape, UColor(1, 2, 3, 4)); // draws as the explosion does
    EXPECT_EQ(flares.maxSpeed, 30.0f);
    EXPECT_EQ(flares.scale, 2.0f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(flares.particles[i].life, burst.particles[i].life);
        EXPECT_EQ(flares.particles[i].rotation, burst.particles[i].rotation);
        EXPECT_EQ(flares.particles[i].vx, burst.particles[i].vx);
    }
}

TEST_F(EffectsTest, ExplosionAnimatesFromFirstToLastFrameAndEnds) {
    start();
    Explosion e(Emission(V3(0, 0, 0)).particles(1).speeds(50, 50));
    const int n = int(e.frames->skins.size());
    e.tick(0.0, 0.01);
    EXPECT_EQ(skinIndex(e.frames, e.particles[0].pSkin), 0);
    EXPECT_FLOAT_EQ(e.particles[0].position.x, 0.5f);
    int ticks = 1, last = 0;
    while (!e.bDestroyPending && ticks < 1000) {
        const int before = skinIndex(e.frames, e.particles[0].pSkin);
        e.tick(0.0, 0.01);
        if (e.particles[0].life > -e.decayRate * 0.01f) last = skinIndex(e.frames, e.particles[0].pSkin);
        EXPECT_GE(skinIndex(e.frames, e.particles[0].pSkin), before);
        ++ticks;
    }
    EXPECT_EQ(last, n - 1);
    EXPECT_EQ(ticks, 80); // 50 / 64 s of life, then the tick that finds none
    EXPECT_EQ(e.liveParticles(), 0);
}

TEST_F(EffectsTest, SplashDropsRestOnTheSurfaceAndTheRingEndsAfterASecond) {
    start();
    Splash s(Emission(V3(30, -25, 0)).particles(1).speeds(300, 300).toward(PI / 2).scaled(2));
    EXPECT_EQ(s.particles[0].position, V3(30, -29, 0));
    EXPECT_EQ(s.ring.scale.x, 2.0f);
    float top = -29;
    int falling = 0;
    for (int i = 0; i < 150; ++i) {
        s.tick(0.0, 0.01);
        if (i == 49) {
            EXPECT_EQ(skinIndex(s.ringFrames, s.ring.pSkin), int(0.5 * s.ringFrames->skins.size()));
        }
        top = std::max(top, s.particles[0].position.y);
        if (s.particles[0].vy < 0) ++falling;
    }
    EXPECT_NEAR(top, -29 + 300.0f * 300.0f / (2 * Splash::GRAVITY), 3.0f);
    EXPECT_GT(falling, 0);
    const Sparc& drop = s.particles[0];
    EXPECT_LE(drop.position.y, -25.0f);
    EXPECT_GT(drop.position.y, -25.0f - 300.0f * 0.01f * 2);
    EXPECT_FLOAT_EQ(drop.position.x, 30.0f);
    const float rest = drop.position.y;
    s.tick(0.0, 0.01);
    EXPECT_EQ(drop.position.y, rest); // stays put, though gravity still works on it
    EXPECT_GT(drop.life, 0.0f);

    // Past one second: the drop is drawn, the ring is not.
    const int before = PLIM->frameStats[STAT_RENDERABLES];
    s.render();
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES] - before, 1);
    Splash young(Emission(V3(0, 0, 0)).particles(1).speeds(10, 10).toward(PI / 2));
    young.tick(0.0, 0.01);
    const int again = PLIM->frameStats[STAT_RENDERABLES];
    young.render();
    EXPECT_EQ(PLIM->frameStats[STAT_RENDERABLES] - again, 2);
}

TEST_F(EffectsTest, FlaresFallShrinkAndBurnOut) {
    start();
    Firework f(Emission(V3(0, 100, 0)).particles(1).speeds(64, 64).scaled(3), UColor(255, 0, 0, 255));
    EXPECT_EQ(f.particles[0].color, UColor(255, 0, 0, 255));
    f.tick(0.0, 0.25);
    EXPECT_FLOAT_EQ(f.particles[0].position.x, 16.0f);
    EXPECT_FLOAT_EQ(f.particles[0].position.y, 100.0f);
    EXPECT_FLOAT_EQ(f.particles[0].vy, -32.0f);
    EXPECT_FLOAT_EQ(f.particles[0].scale.x, 64.0f / 65.0f * 2.9f + 0.1f);
    EXPECT_EQ(f.particles[0].pSkin, World::frame(World::frames("flare"), 0));
    f.tick(0.0, 0.25);
    EXPECT_FLOAT_EQ(f.particles[0].position.y, 100.0f - 8.0f);
    EXPECT_FLOAT_EQ(f.particles[0].scale.x, 32.0f / 65.0f * 2.9f + 0.1f);
    EXPECT_EQ(f.liveParticles(), 0);
    f.tick(0.0, 0.25);
    EXPECT_TRUE(f.bDestroyPending);
}

TEST_F(EffectsTest, FuseTrailFollowsTheDetailSetting) {
    start();
    for (int detail : {0, 1}) {
        Detail d(detail);
        PlimBase holder;
        auto* fuse = new FireworkFuse(0, 0, 0, 0, 0, 0, 100.0, 100.0, UColor(0, 255, 0, 255));
        holder.addChild(fuse);
        std::vector<int> at;
        for (int frame = 1; frame <= 100; ++frame) {
            const size_t before = bursts(holder).size();
            fuse->tick(0.0, 0.01);
            if (bursts(holder).size() > before) at.push_back(frame);
        }
        const int every = detail == 0 ? 5 : 2;
        ASSERT_EQ(at.size(), size_t(100 / every)) << "detail " << detail;
        for (size_t i = 0; i < at.size(); ++i) EXPECT_EQ(at[i], int(i + 1) * every);
        for (Firework* b : bursts(holder)) {
            EXPECT_EQ(b->count, 3);
            EXPECT_EQ(b->particles[0].color, UColor(255, 255, 255, 255));
        }
    }
}

TEST_F(EffectsTest, FuseRisesToItsApexAndBurstsOnTheWayUp) {
    start();
    {
        PlimBase holder;
        auto* fuse = new FireworkFuse(0, 0, 0, 0, 300, 0, 100.0, 100.0, UColor(0, 255, 0, 255));
        holder.addChild(fuse);
        int frames = 0;
        while (fuse->vy > 0 && frames < 1000) {
            fuse->tick(0.0, 0.01);
            ++frames;
        }
        EXPECT_NEAR(frames * 0.01, 300.0 / 128.0, 0.011);
    }
    Detail high(1);
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        Random::seed(seed);
        PlimBase holder;
        auto* fuse = new FireworkFuse(5, -20, 0, 0, 300, 0, 1.0, 2.0, UColor(0, 0, 255, 255));
        holder.addChild(fuse);
        EXPECT_GE(fuse->fuseTime, 1.0);
        EXPECT_LT(fuse->fuseTime, 2.0);
        const size_t sounds = harness->log.linesOf("sound").size();
        while (!fuse->bDestroyPending) fuse->tick(0.0, 0.01);
        EXPECT_GT(fuse->vy, 0.0f);
        std::vector<Firework*> all = bursts(holder);
        // The burst, and maybe a trail burst of that tick, at size 0.
        ASSERT_GE(all.size(), 2u);
        Firework* burst = all.back()->count == 100 ? all.back() : all[all.size() - 2];
        ASSERT_EQ(burst->count, 100);
        EXPECT_EQ(burst->scale, 3.0f);
        EXPECT_EQ(burst->particles[0].color, UColor(0, 0, 255, 255));
        if (all.back() != burst) {
            EXPECT_EQ(all.back()->scale, 0.0f);
        }
        std::vector<std::string> played = harness->log.linesOf("sound");
        ASSERT_EQ(played.size(), sounds + 1);
        EXPECT_NE(played.back().find("fireworkBang"), std::string::npos);
    }
    Detail low(0);
    PlimBase holder;
    holder.addChild(new FireworkFuse(0, 0, 0, 0, 0, 0, 0.0, 0.0, UColor(0, 0, 255, 255)));
    static_cast<FireworkFuse*>(static_cast<PlimBase*>(holder.firstChild))->tick(0.0, 0.01);
    EXPECT_EQ(bursts(holder)[0]->count, 50);
}

} // namespace

namespace {

TEST(EffectsDeathTest, AnimationWithoutFramesOrOfAnotherKindIsFatalNamingIt) {
    // The fatal path leaves the engine standing: no leak check in the child.
    std::string options = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
    setenv("ASAN_OPTIONS", (options + ":detect_leaks=0").c_str(), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto explodeWith = [](const char* frames) {
        EngineTestFolder::routeStdoutToStderr();
        MatchHarness run;
        run.start([] { return new GameController(); });
        auto* bare = new Texture(4, 4, 0);
        for (Skin* skin : bare->skins) skin->deleteMe();
        bare->skins.clear();
        PLIM->resourceManager->addResource("bare", bare);
        World::frames(frames);
    };
    EXPECT_EXIT(explodeWith("bare"), ::testing::ExitedWithCode(1), "Texture 'bare' has no sub-images.");
    EXPECT_EXIT(explodeWith("nyuck"), ::testing::ExitedWithCode(255), "Resource 'nyuck' is not a Texture.");
    setenv("ASAN_OPTIONS", options.c_str(), 1);
}

} // namespace
