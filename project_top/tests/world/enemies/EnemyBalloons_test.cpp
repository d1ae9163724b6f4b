// Hot-air balloons and kamikazes in a scripted match: the balloon's frame
// rate, turning and colour swap, its bounces inside the view, its bomb
// carried, dropped over a palm, dropped when shot and deleted with it; the
// kamikaze's doubled dive angle, speed, explosion and splash by detail.
#include "EnemyFixture.h"
#include "PoseChecks.h"
#include "render/Camera.h"
#include "ContextBlender.h"
#include "util/Random.h"
#include "audio/Sound.h"
#include "render/Texture.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "world/effects/Splash.h"
#include "world/enemies/HotAirBalloon.h"
#include "world/enemies/HotAirBalloonBomb.h"
#include "world/enemies/Kamikaze.h"
#include "world/weapons/BombCampaign.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

using BalloonTest = EnemyTest;

TEST_F(BalloonTest, FramesRunWithTheDriftAndEveryTurnSwapsTheColours) {
    startMatch();
    EXPECT_DOUBLE_EQ(HotAirBalloon::frameIntervalFor(0.0f), 0.2);
    EXPECT_NEAR(HotAirBalloon::frameIntervalFor(24.0f), 0.105, 1e-12);
    EXPECT_NEAR(HotAirBalloon::frameIntervalFor(-24.0f), 0.105, 1e-12);
    EXPECT_NEAR(HotAirBalloon::frameIntervalFor(48.0f), 0.01, 1e-12);
    EXPECT_DOUBLE_EQ(HotAirBalloon::frameIntervalFor(60.0f), 0.01);

    HotAirBalloon* balloon = enter(new HotAirBalloon(), 0.0f, int32_t(0xFF102030));
    EXPECT_EQ(balloon->speed, 32.0f);
    EXPECT_NEAR(std::hypot(balloon->velocity.x, balloon->velocity.y), 32.0f, 1e-4f);
    EXPECT_DOUBLE_EQ(balloon->frameInterval, HotAirBalloon::frameIntervalFor(balloon->velocity.x));
    EXPECT_EQ(balloon->stripes.color, UColor(0x10, 0x20, 0x30, 0xFF));
    EXPECT_EQ(balloon->points, 100);
    EXPECT_EQ(balloon->collisionSensitivity, 0.7f);
    EXPECT_FALSE(balloon->bHitsPalms);
    // Toward the island at (0, 0), within 45 degrees.
    const float toIsland = std::atan2(-balloon->position.y, -balloon->position.x);
    EXPECT_LE(std::fabs(angleBetween(balloon->heading, toIsland)), PI / 4.0f + 1e-5f);
    EXPECT_EQ(enter(new HotAirBalloon(), 1.0f)->speed, 64.0f);

    // Drifting left at 60: a frame every 0.01 s, downward; 0 to 7 swaps.
    balloon->position = V3(0.0f, 100.0f, 0.0f);
    balloon->velocity = V3(-60.0f, 0.0f, 0.0f);
    balloon->frameInterval = HotAirBalloon::frameIntervalFor(balloon->velocity.x);
    balloon->frame = 1;
    balloon->frameTimer = 0.0;
    const UColor body = balloon->color, stripes = balloon->stripes.color;
    balloon->tick(0.0, 0.009);
    EXPECT_EQ(balloon->frame, 1);
    balloon->tick(0.0, 0.0011);
    EXPECT_EQ(balloon->frame, 0);
    EXPECT_EQ(balloon->color, body);
    balloon->tick(0.0, 0.01);
    EXPECT_EQ(balloon->frame, 7);
    EXPECT_EQ(balloon->color, stripes);
    EXPECT_EQ(balloon->stripes.color, body);
    EXPECT_EQ(skinIndex(balloon->frames, balloon->pSkin), 7);
    EXPECT_EQ(skinIndex(balloon->frames, balloon->stripes.pSkin), 15);
    EXPECT_EQ(skinIndex(balloon->frames, balloon->backPiece.pSkin), 18);
    EXPECT_EQ(skinIndex(balloon->frames, balloon->frontPiece.pSkin), 16);

    // At 24 to the right: 0.1049 s is not enough, 0.1051 s is; 7 to 0 swaps back.
    balloon->velocity = V3(24.0f, 0.0f, 0.0f);
    balloon->frameInterval = HotAirBalloon::frameIntervalFor(balloon->velocity.x);
    balloon->frameTimer = 0.0;
    balloon->tick(0.0, 0.1049);
    EXPECT_EQ(balloon->frame, 7);
    balloon->frameTimer = 0.0;
    balloon->tick(0.0, 0.1051);
    EXPECT_EQ(balloon->frame, 0);
    EXPECT_EQ(balloon->color, body);

    // The wobble squeezes the body and the stripes, not the back piece.
    balloon->tick(0.3, 0.001);
    EXPECT_NEAR(balloon->scale.x * balloon->scale.y, 1.0f, 1e-5f);
    EXPECT_EQ(balloon->stripes.scale.x, balloon->scale.x);
    EXPECT_EQ(balloon->frontPiece.scale.x, balloon->scale.x);
    EXPECT_EQ(balloon->backPiece.scale.x, 1.0f);
}

TEST_F(BalloonTest, BouncesInsideTheViewAndNeverSinksBelowSeven) {
    startMatch();
    HotAirBalloon* balloon = enter(new HotAirBalloon());
    const Rect view = match->scene->camera->getVisibleRect(0.0f);
    struct Case {
        V3 at, velocity, expected;
    } cases[] = {
        {V3(0, 6.9f, 0), V3(5, -10, 0), V3(5, 10, 0)},
        {V3(0, view.top + 1, 0), V3(5, 10, 0), V3(5, -10, 0)},
        {V3(view.left - 1, 100, 0), V3(-20, 3, 0), V3(20, 3, 0)},
        {V3(view.right + 1, 100, 0), V3(20, 3, 0), V3(-20, 3, 0)},
        {V3(0, 100, 0), V3(-20, -3, 0), V3(-20, -3, 0)},
    };
    for (const Case& c : cases) {
        balloon->position = c.at;
        balloon->velocity = c.velocity;
        balloon->tick(0.0, 0.0);
        EXPECT_EQ(balloon->velocity.x, c.expected.x) << c.at.x << "," << c.at.y;
        EXPECT_EQ(balloon->velocity.y, c.expected.y) << c.at.x << "," << c.at.y;
    }
    // Left alone for 20 s of match time, it stays in play above 7.
    balloon->position = V3(0, 20, 0);
    balloon->velocity = V3(-30, -40, 0);
    float lowest = 1e9f;
    for (int i = 0; i < 2000 && !balloon->bDestroyPending; ++i) {
        harness->step();
        lowest = std::fmin(lowest, balloon->position.y);
    }
    EXPECT_FALSE(balloon->bDestroyPending);
    EXPECT_GT(lowest, 7.0f - 40.0f * 0.01f - 1e-3f);
}

TEST_F(BalloonTest, TheBombFallsOverItsPalmOrWhereTheBalloonIsShot) {
    startMatch();
    std::vector<Palm*> palms = island(0.0f, -20.0f, {40.0f});
    Palm* palm = palms[0];

    HotAirBalloonBomb* carrier = enter(new HotAirBalloonBomb());
    ASSERT_NE(carrier->carriedBomb, nullptr);
    EXPECT_EQ(carrier->targetPalm.get(), palm);
    EXPECT_EQ(carrier->points, 200);
    EXPECT_NEAR(carrier->carriedBomb->rotation.z, 3.0f * PI / 2.0f, 1e-6f);
    EXPECT_EQ(skinIndex(carrier->frames, carrier->backPiece.pSkin), 17);
    EXPECT_EQ(carrier->carriedBomb->parent, nullptr);

    // Far from the palm: carried, hanging 50 below.
    carrier->position = V3(-200.0f, 150.0f, 0.0f);
    carrier->velocity = V3(10.0f, 0.0f, 0.0f);
    carrier->tick(0.0, 0.01);
    ASSERT_NE(carrier->carriedBomb, nullptr);
    EXPECT_NEAR(carrier->carriedBomb->position.x, carrier->position.x + 1.0f, 1e-4f);
    EXPECT_NEAR(carrier->carriedBomb->position.y, carrier->position.y - 50.0f, 1e-4f);

    // Over the palm (within half its collision radius): dropped, whistling.
    size_t mark = soundMark();
    carrier->position = V3(palm->boundsCenter.x + 0.45f * palm->boundsRadius * palm->collisionSensitivity, 150, 0);
    carrier->tick(0.0, 0.0);
    EXPECT_EQ(carrier->carriedBomb, nullptr);
    BombCampaign* dropped = lastOf<BombCampaign>(layer(GameController::LAYER_ENEMY_PROJECTILES));
    ASSERT_NE(dropped, nullptr);
    EXPECT_EQ(dropped->owner, -1);
    EXPECT_EQ(soundsSince(mark), std::vector<std::string>{"bombWhistleShort"});

    // Shot before its palm: the bomb falls from there, then the puff.
    HotAirBalloonBomb* early = enter(new HotAirBalloonBomb());
    early->position = V3(-300.0f, 120.0f, 0.0f);
    early->tick(0.0, 0.0);
    ASSERT_NE(early->carriedBomb, nullptr);
    BombCampaign* carried = early->carriedBomb;
    mark = soundMark();
    Shooter shot(0, V3(0, 400, 0));
    EXPECT_GT(shot.dealDamage(early, 1.0f), 0.0f);
    EXPECT_TRUE(early->bDestroyPending);
    EXPECT_EQ(early->carriedBomb, nullptr);
    EXPECT_EQ(carried->parent, layer(GameController::LAYER_ENEMY_PROJECTILES));
    EXPECT_NEAR(carried->position.x, -299.0f, 1e-3f);
    EXPECT_NEAR(carried->position.y, 70.0f, 1e-3f);
    EXPECT_EQ(soundsSince(mark), (std::vector<std::string>{"bombWhistleShort", "deflate"}));
    Smoke* puff = lastOf<Smoke>(layer(GameController::LAYER_FIREWORKS));
    ASSERT_NE(puff, nullptr);
    EXPECT_EQ(puff->count, 10);
    EXPECT_EQ(match->playerData[0]->score, 200);
    // The bomb falls on its own.
    const float before = carried->position.y;
    harness->steps(10);
    EXPECT_LT(carried->position.y, before);
}

TEST_F(BalloonTest, WithoutAPalmTheBombStaysAndGoesWithItsBalloon) {
    startMatch();
    HotAirBalloonBomb* carrier = enter(new HotAirBalloonBomb());
    EXPECT_EQ(carrier->targetPalm.get(), nullptr);
    ASSERT_NE(carrier->carriedBomb, nullptr);
    for (float x = -400.0f; x <= 400.0f; x += 2.0f) {
        carrier->position = V3(x, 100.0f, 0.0f);
        carrier->tick(0.0, 0.0);
    }
    ASSERT_NE(carrier->carriedBomb, nullptr);
    Reference<BombCampaign> bomb(nullptr);
    bomb.set(carrier->carriedBomb);
    carrier->deleteMe();
    EXPECT_EQ(bomb.get(), nullptr);

    // A balloon that is never released deletes nothing else.
    delete new HotAirBalloon();
}

using KamikazeTest = EnemyTest;

TEST_F(KamikazeTest, DivesAtTwiceItsIslandsAngleOffTheVertical) {
    startMatch();
    Random::seed(99);
    Kamikaze* probe = enter(new Kamikaze());
    const V3 from = probe->position;
    const Rect view = match->scene->camera->getVisibleRect(0.0f);
    EXPECT_GE(from.x, view.left);
    EXPECT_LE(from.x, view.right);
    EXPECT_GT(from.y, view.top);

    // The island 10 degrees right of straight below the entry point.
    const float off = float(degreesToRadians(10.0));
    island(from.x + 300.0f * std::sin(off), from.y - 300.0f * std::cos(off), {});
    Random::seed(99);
    const size_t mark = soundMark();
    Kamikaze* diver = enter(new Kamikaze());
    EXPECT_EQ(diver->position.x, from.x);
    EXPECT_NEAR(angleBetween(diver->heading, -PI / 2.0f), 2.0f * off, 1e-4f);
    EXPECT_NEAR(angleBetween(std::atan2(diver->velocity.y, diver->velocity.x), -PI / 2.0f), 2.0f * off, 1e-4f);
    EXPECT_NEAR(std::hypot(diver->velocity.x, diver->velocity.y), 32.0f, 1e-4f);
    EXPECT_EQ(diver->rotation.z, diver->heading);
    EXPECT_EQ(diver->overlay.rotation.z, diver->heading);
    EXPECT_EQ(soundsSince(mark), std::vector<std::string>{"kamikazeEntry"});
    EXPECT_TRUE(diver->bHitsPalms);
    EXPECT_EQ(diver->points, 400);
    EXPECT_EQ(diver->energy, 0.2f);

    // Straight below: a vertical dive. Difficulty 1: 32 to 64.
    match->playerData[0]->pIsland.get()->position = V3(from.x, from.y - 300.0f, 0.0f);
    Random::seed(99);
    Kamikaze* straight = enter(new Kamikaze());
    EXPECT_NEAR(angleBetween(straight->heading, -PI / 2.0f), 0.0f, 1e-5f);
    EXPECT_NEAR(straight->velocity.x, 0.0f, 1e-4f);
    for (int i = 0; i < 20; ++i) {
        Kamikaze* fast = enter(new Kamikaze(), 1.0f);
        const float speed = std::hypot(fast->velocity.x, fast->velocity.y);
        EXPECT_GE(speed, 32.0f);
        EXPECT_LT(speed, 64.0f);
        fast->bDestroyPending = true;
    }

    // The gravity bends the dive; the picture keeps its angle; the propeller
    // alternates every 0.025 s.
    Kamikaze* bent = enter(new Kamikaze());
    const float heading = bent->heading;
    const float vy0 = bent->velocity.y;
    bent->tick(0.0, 0.025);
    EXPECT_NEAR(bent->velocity.y, vy0 - 16.0f * 0.025f, 1e-4f);
    EXPECT_EQ(bent->rotation.z, heading);
    EXPECT_EQ(skinIndex(bent->frames, bent->overlay.pSkin), 2);
    bent->tick(0.0, 0.025);
    EXPECT_EQ(skinIndex(bent->frames, bent->overlay.pSkin), 1);
    EXPECT_EQ(bent->overlay.position.x, bent->position.x);
}

TEST_F(KamikazeTest, ShotItExplodesMissedItSplashesAtEitherDetail) {
    startMatch();
    for (int detail : {0, 1}) {
        DetailSetting setting(detail);
        Kamikaze* shot = enter(new Kamikaze());
        size_t mark = soundMark();
        Shooter gun(1, V3(0, 300, 0));
        gun.dealDamage(shot, 1.0f);
        EXPECT_TRUE(shot->bDestroyPending);
        Explosion* blast = lastOf<Explosion>(layer(GameController::LAYER_FIREWORKS));
        ASSERT_NE(blast, nullptr);
        EXPECT_EQ(blast->count, 6 * detail + 4);
        std::vector<std::string> played = soundsSince(mark);
        ASSERT_EQ(played, std::vector<std::string>{"explosionShort"});
        EXPECT_EQ(World::sound("explosionShort")->pitchMin, 0.0f);
        EXPECT_EQ(World::sound("explosionShort")->pitchMax, 0.5f);

        const unsigned effects = layer(GameController::LAYER_FIREWORKS)->getNumChildren();
        Kamikaze* missed = enter(new Kamikaze());
        missed->position = V3(10.0f, -24.9f, 0.0f);
        missed->velocity = V3(0.0f, -40.0f, 0.0f);
        mark = soundMark();
        missed->tick(0.0, 0.01);
        EXPECT_TRUE(missed->bDestroyPending);
        EXPECT_EQ(soundsSince(mark), std::vector<std::string>{"largeSplash"});
        EXPECT_EQ(layer(GameController::LAYER_FIREWORKS)->getNumChildren(), effects + (detail > 0 ? 1u : 0u));
        if (detail > 0) {
            Splash* splash = lastOf<Splash>(layer(GameController::LAYER_FIREWORKS));
            ASSERT_NE(splash, nullptr);
            EXPECT_EQ(splash->count, 25);
        }
    }
    EXPECT_EQ(match->playerData[1]->score, 800);
}

} // namespace
