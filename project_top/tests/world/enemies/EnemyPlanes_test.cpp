// The crossing planes in a scripted match: the biplane's bombing chance and
// speed by difficulty over many seeded entries, its drop point and the strict
// drop, no drop point without a palm below it, its tint; the P35's values;
// the airplane skin's pictures and shadow sizes; the bomber's bombs, damage
// slow-down, engine pitch and smoke on either side.
#include "render/Camera.h"
#include "ContextBlender.h"
#include "EnemyFixture.h"
#include "core/Plim.h"
#include "util/Random.h"
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "render/Texture.h"
#include "world/AirplaneSkin.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "world/effects/Sparc.h"
#include "world/enemies/AirplaneLeftRight.h"
#include "world/enemies/AirplaneLeftRightP35.h"
#include "world/enemies/Bomber.h"
#include "world/weapons/BombCampaign.h"
#include "world/weapons/BomberBomb.h"
#include "util/PlimMath.h"

#include <algorithm>
#include <cmath>

namespace {

using L = GameController;
using PlaneTest = EnemyTest;
const double DT = 0.01;

TEST_F(PlaneTest, BiplanesBombAsOftenAndFlyAsFastAsTheirDifficultySays) {
    startMatch();
    island(0.0f, -200.0f, {0.0f}); // the palm lies below every flight height
    AirplaneLeftRight* plane = enter(new AirplaneLeftRight());
    const float expected[] = {0.10f, 0.75f};
    const float topSpeed[] = {85.0f, 150.0f};
    for (int d = 0; d <= 1; ++d) {
        Random::seed(1000 + d);
        plane->difficulty = float(d);
        int bombs = 0;
        float slowest = 1e9f, fastest = 0.0f;
        for (int i = 0; i < 10000; ++i) {
            plane->bWillBomb = false;
            plane->onSpawn();
            bombs += plane->bWillBomb;
            const float speed = std::fabs(plane->velocity.x);
            slowest = std::min(slowest, speed);
            fastest = std::max(fastest, speed);
            ASSERT_NEAR(plane->velocity.y, 0.0f, 1e-4f);
            ASSERT_EQ(plane->heading, plane->position.x > 0.0f ? PI : 0.0f);
        }
        EXPECT_NEAR(bombs / 10000.0f, expected[d], 0.01f) << "difficulty " << d;
        EXPECT_GE(slowest, 50.0f);
        EXPECT_LT(slowest, 51.0f);
        EXPECT_LT(fastest, topSpeed[d]);
        EXPECT_GT(fastest, topSpeed[d] - 1.0f);
    }
}

TEST_F(PlaneTest, TheBombFallsInTheFirstTickPastTheDropPoint) {
    startMatch();
    Palm* palm = island(0.0f, -20.0f, {40.0f})[0];
    AirplaneLeftRight* plane = nullptr;
    do {
        if (plane) plane->bDestroyPending = true;
        plane = enter(new AirplaneLeftRight(), 1.0f);
    } while (!plane->bWillBomb || plane->velocity.x < 0.0f);
    const float dy = palm->boundsCenter.y - plane->position.y;
    EXPECT_FLOAT_EQ(plane->dropX, 40.0f - std::sqrt(2.0f * dy / -32.0f) * plane->velocity.x);

    const size_t sounds = soundMark();
    plane->position.x = plane->dropX;
    plane->tick(0.0, 0.0); // exactly at the drop point: not yet
    EXPECT_EQ(layer(L::LAYER_ENEMY_PROJECTILES)->firstChild, nullptr);
    plane->tick(0.0, DT);
    BombCampaign* bomb = lastOf<BombCampaign>(layer(L::LAYER_ENEMY_PROJECTILES));
    ASSERT_NE(bomb, nullptr);
    EXPECT_EQ(bomb->owner, -1);
    EXPECT_EQ(bomb->velocity.x, plane->velocity.x);
    EXPECT_EQ(bomb->position.x, plane->position.x);
    EXPECT_EQ(soundsSince(sounds), std::vector<std::string>{"bombWhistleShort"});
    EXPECT_FALSE(plane->bWillBomb);
    for (int i = 0; i < 100; ++i) plane->tick(0.0, DT);
    EXPECT_EQ(MatchHarness::liveChildren(layer(L::LAYER_ENEMY_PROJECTILES)), 1);

    // The bomb comes down by the palm (gravity 32, from the plane's speed).
    match->bLimitBombRange = false;
    while (!bomb->bDestroyPending && bomb->position.y > palm->boundsCenter.y) bomb->tick(0.0, 0.001);
    EXPECT_NEAR(bomb->position.x, 40.0f, 2.0f);
}

TEST_F(PlaneTest, NoPalmBelowNoPalmOrNoIslandMeansNoBomb) {
    startMatch();
    // Without any island or palm the planes fly on without a bomb.
    for (int i = 0; i < 50; ++i) {
        AirplaneLeftRight* plane = enter(new AirplaneLeftRight(), 1.0f);
        EXPECT_FALSE(plane->bWillBomb);
        EXPECT_EQ(plane->dropX, 0.0f);
        plane->bDestroyPending = true;
    }
    // A palm above every flight height: no drop point, no NaN.
    island(0.0f, 600.0f, {0.0f});
    for (int i = 0; i < 50; ++i) {
        AirplaneLeftRight* plane = enter(new AirplaneLeftRight(), 1.0f);
        EXPECT_FALSE(plane->bWillBomb);
        EXPECT_FALSE(std::isnan(plane->dropX));
        for (int k = 0; k < 10; ++k) plane->tick(0.0, DT);
        plane->bDestroyPending = true;
    }
    EXPECT_EQ(layer(L::LAYER_ENEMY_PROJECTILES)->firstChild, nullptr);
}

TEST_F(PlaneTest, TintsEntrySoundPointsAndTheP35) {
    startMatch();
    const size_t sounds = soundMark();
    AirplaneLeftRight* red = enter(new AirplaneLeftRight(), 0.0f, int32_t(0xFFFF2020u));
    EXPECT_EQ(red->color, UColor(255, 32, 32, 255));
    EXPECT_EQ(soundsSince(sounds), std::vector<std::string>{"biplaneEntry"});
    EXPECT_FALSE(red->airplaneSkin()->bShadow);
    EXPECT_TRUE(red->bOwnsSkin);
    EXPECT_EQ(red->points, 150);
    EXPECT_FLOAT_EQ(red->energy, 0.2f);
    EXPECT_EQ(red->collisionSensitivity, 0.75f);
    EXPECT_EQ(red->owner, -1);
    AirplaneLeftRight* random = enter(new AirplaneLeftRight());
    EXPECT_EQ(random->color.a, 255);
    EXPECT_TRUE(random->color.r == 255 || random->color.g == 255 || random->color.b == 255);

    AirplaneLeftRightP35 p35;
    EXPECT_EQ(p35.points, 300);
    EXPECT_FLOAT_EQ(p35.maxEnergy, 0.3f);
    EXPECT_EQ(p35.collisionSensitivity, 0.75f);
    EXPECT_EQ(p35.airplaneSkin()->bodyPictures, World::texture("p35"));
    EXPECT_EQ(p35.airplaneSkin()->markingsPictures, World::texture("p35-markings"));

    // Shot down: a burst of five and the short explosion at 0 to 0.5.
    const size_t before = soundMark();
    red->onDestroyed(nullptr);
    EXPECT_TRUE(red->bDestroyPending);
    Explosion* burst = lastOf<Explosion>(layer(L::LAYER_FIREWORKS));
    ASSERT_NE(burst, nullptr);
    EXPECT_EQ(burst->count, 5);
    EXPECT_EQ(soundsSince(before), std::vector<std::string>{"explosionShort"});
    EXPECT_EQ(World::sound("explosionShort")->pitchMax, 0.5f);
}

TEST(AirplaneSkinPictures, HeadingsPickPicturesAndHeightsShrinkTheShadow) {
    bool mirrored = false;
    EXPECT_EQ(AirplaneSkin::pictureFor(0.0f, &mirrored), 24);
    EXPECT_TRUE(mirrored);
    EXPECT_EQ(AirplaneSkin::pictureFor(PI / 2.0f, &mirrored), 0);
    EXPECT_FALSE(mirrored);
    EXPECT_EQ(AirplaneSkin::pictureFor(PI, &mirrored), 24);
    EXPECT_FALSE(mirrored);
    EXPECT_EQ(AirplaneSkin::pictureFor(1.5f * PI, &mirrored), 48);
    EXPECT_EQ(AirplaneSkin::pictureFor(PI / 4.0f, &mirrored), 12);
    EXPECT_TRUE(mirrored);
    EXPECT_EQ(AirplaneSkin::pictureFor(1.75f * PI, &mirrored), 36);
    EXPECT_TRUE(mirrored);
    // Boundaries half a step (2 pi / 192) before each direction.
    EXPECT_EQ(AirplaneSkin::pictureFor(PI / 2.0f - 2.0f * PI / 192.0f + 1e-4f, &mirrored), 0);
    EXPECT_EQ(AirplaneSkin::pictureFor(PI / 2.0f - 2.0f * PI / 192.0f - 1e-3f, &mirrored), 1);
    EXPECT_TRUE(mirrored);
    EXPECT_EQ(AirplaneSkin::pictureFor(2.0f * PI - 1e-4f, &mirrored), 24);
    EXPECT_TRUE(mirrored);

    float sx = 0.0f, sy = 0.0f;
    AirplaneSkin::shadowScale(-25.0f, &sx, &sy);
    EXPECT_EQ(sx, 1.0f);
    EXPECT_EQ(sy, 0.5f);
    AirplaneSkin::shadowScale(-100.0f, &sx, &sy);
    EXPECT_EQ(sx, 1.0f);
    EXPECT_EQ(sy, 0.5f);
    AirplaneSkin::shadowScale(225.0f, &sx, &sy);
    EXPECT_FLOAT_EQ(sx, 0.75f);
    EXPECT_FLOAT_EQ(sy, 0.375f);
    AirplaneSkin::shadowScale(975.0f, &sx, &sy);
    EXPECT_EQ(sx, 0.5f);
    EXPECT_EQ(sy, 0.25f);
}

TEST_F(PlaneTest, BomberDropsAStreamOfBombsFromOneAndAHalfSeconds) {
    startMatch();
    const size_t sounds = soundMark();
    Bomber* bomber = enter(new Bomber(), 1.0f);
    EXPECT_EQ(std::fabs(bomber->cruiseSpeed), 128.0f);
    EXPECT_EQ(bomber->velocity.x, bomber->cruiseSpeed);
    EXPECT_EQ(bomber->heading, 0.0f);
    EXPECT_TRUE(soundsSince(sounds).empty()); // no entry sound
    std::vector<double> drops;
    int bombs = 0;
    for (int i = 1; i <= 1000; ++i) {
        bomber->tick(i * DT, DT);
        const int now = MatchHarness::liveChildren(layer(L::LAYER_ENEMY_PROJECTILES));
        if (now > bombs) drops.push_back(i * DT);
        bombs = now;
    }
    ASSERT_GE(drops.size(), 6u);
    EXPECT_NEAR(drops[0], 1.5, 0.011);
    for (size_t i = 1; i < drops.size(); ++i) {
        EXPECT_GE(drops[i] - drops[i - 1], 0.5 - 1e-6);
        EXPECT_LE(drops[i] - drops[i - 1], 1.51 + 1e-6);
    }
    BomberBomb* bomb = lastOf<BomberBomb>(layer(L::LAYER_ENEMY_PROJECTILES));
    ASSERT_NE(bomb, nullptr);
    EXPECT_EQ(bomb->velocity.x, 0.0f);
    int dropSounds = 0;
    for (const std::string& name : soundsSince(sounds)) dropSounds += name == "bomberDropBomb";
    EXPECT_EQ(dropSounds, int(drops.size()));
    EXPECT_EQ(MatchHarness::liveChildren(layer(L::LAYER_SMOKE)), 0); // whole: no smoke
}

TEST_F(PlaneTest, ADamagedBomberSlowsSmokesGreyAndFlyingLeftIsMirrored) {
    startMatch();
    match->scene->camera->position.x = 100.0f; // enters on the right, flies left
    Bomber* bomber = enter(new Bomber());
    EXPECT_EQ(bomber->cruiseSpeed, -64.0f);
    EXPECT_EQ(bomber->rotation, V3(0.0f, PI, 0.0f));
    EXPECT_EQ(bomber->propeller.rotation, V3(0.0f, PI, 0.0f));
    bomber->takeDamage(nullptr, 2.0f);
    EXPECT_FLOAT_EQ(bomber->velocity.x, -48.0f);
    EXPECT_FLOAT_EQ(bomber->engineChannel->frequency, 0.75f);
    while (!layer(L::LAYER_SMOKE)->firstChild) bomber->tick(0.0, DT);
    Smoke* smoke = static_cast<Smoke*>(static_cast<PlimBase*>(layer(L::LAYER_SMOKE)->firstChild));
    ASSERT_EQ(smoke->count, 1);
    EXPECT_EQ(smoke->particles[0].color, UColor(127, 127, 127, 255));
    EXPECT_NEAR(smoke->particles[0].position.x, bomber->position.x + 48.0f, 0.01f);
    EXPECT_NEAR(smoke->particles[0].position.y, bomber->position.y, 0.01f);
    EXPECT_TRUE(bomber->engineChannel->isPlaying() || !PLIM->audio);

    // Shot down: a burst of 14 at high detail and the low explosion.
    const size_t sounds = soundMark();
    bomber->takeDamage(nullptr, 2.0f);
    EXPECT_TRUE(bomber->bDestroyPending);
    Explosion* burst = lastOf<Explosion>(layer(L::LAYER_FIREWORKS));
    ASSERT_NE(burst, nullptr);
    EXPECT_EQ(burst->count, 14);
    EXPECT_EQ(soundsSince(sounds), std::vector<std::string>{"explosionShort"});
    EXPECT_EQ(World::sound("explosionShort")->pitchMin, -0.5f);
    EXPECT_EQ(World::sound("explosionShort")->pitchMax, 0.0f);
}

} // namespace
