// The zeppelin in a scripted match: its entry, turrets and drops by type, the
// hull that refills, the re-entry at the left with its turrets, drops that
// score nothing, and after the fourth turret the message, the burn, the
// final blast and the cancelled spawners of the match.
#include "EnemyFixture.h"
#include "render/Camera.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "render/Skin.h"
#include "audio/Sound.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Sparc.h"
#include "world/enemies/AtomBomb.h"
#include "world/enemies/EnemySpawner.h"
#include "world/enemies/Kamikaze.h"
#include "world/enemies/PropelledBomb.h"
#include "world/enemies/Zeppelin.h"
#include "world/enemies/ZeppelinTurret.h"
#include "world/weapons/BomberBomb.h"

#include <cmath>
#include <cstdlib>

namespace {

template <class T> std::vector<T*> all(PlimBase* layer) {
    std::vector<T*> found;
    for (BasicLink* c = layer->firstChild; c; c = c->next)
        if (auto* t = dynamic_cast<T*>(static_cast<PlimBase*>(c)))
            if (!c->bDestroyPending) found.push_back(t);
    return found;
}

// The controller time stamped on an event log line.
double timeOf(const std::string& line) { return std::atof(line.c_str() + line.find('\t') + 1); }

class ZeppelinTest : public EnemyTest {
protected:
    std::vector<ZeppelinTurret*> turrets() { return all<ZeppelinTurret>(layer(GameController::LAYER_ENEMIES)); }
    // Frames until the predicate holds (at most limit); the frames run.
    template <class F> int stepUntil(F done, int limit) {
        int frames = 0;
        while (!done() && frames < limit) {
            harness->step();
            ++frames;
        }
        return frames;
    }
};

TEST_F(ZeppelinTest, EntersLeftOfTheViewWithFourTurretsAndDropsByType) {
    startMatch();
    const int before = match->pointsTotal;
    const Rect view = match->scene->camera->getVisibleRect(0.0f);
    Zeppelin* zeppelin = enter(new Zeppelin(), 0.0f, 0);
    EXPECT_EQ(zeppelin->points, 0);
    EXPECT_EQ(zeppelin->scale.x, 2.0f);
    EXPECT_EQ(zeppelin->state, Zeppelin::STATE_FLYING);
    EXPECT_EQ(zeppelin->pSkin, World::frame(World::frames("zeppelin"), 3));
    EXPECT_NEAR(zeppelin->position.x, view.left - 2.0f * zeppelin->pSkin->width, 1e-3f);
    EXPECT_GE(zeppelin->position.y, view.top + 0.15f * (view.top - view.bottom) - 1e-3f);
    EXPECT_LE(zeppelin->position.y, view.top + 0.40f * (view.top - view.bottom) + 1e-3f);
    std::vector<ZeppelinTurret*> mounted = turrets();
    ASSERT_EQ(mounted.size(), 4u);
    const float offsets[] = {-80.0f, -16.0f, 48.0f, 112.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(mounted[i]->mountOffset.x, offsets[i]);
        EXPECT_EQ(mounted[i]->energy, 7.0f);
        EXPECT_EQ(mounted[i]->points, 1000);
        EXPECT_EQ(mounted[i]->zeppelin.get(), zeppelin);
        const V3 at = zeppelin->worldPoint(mounted[i]->mountOffset);
        EXPECT_NEAR(mounted[i]->position.x, at.x, 1e-3f);
    }
    EXPECT_EQ(zeppelin->turretsLeft, 4);
    EXPECT_EQ(match->pointsTotal, before + 4000);
    EXPECT_DOUBLE_EQ(zeppelin->dropInterval, 10.0);

    // Type 0: eight atom bombs at the turrets every 10 s, worth nothing.
    const float x0 = zeppelin->position.x;
    const double t0 = match->scene->time;
    stepUntil([&] { return !all<AtomBomb>(layer(GameController::LAYER_ENEMIES)).empty(); }, 1100);
    const double flown = match->scene->time - t0;
    EXPECT_GE(flown, 10.0);
    EXPECT_LT(flown, 10.011);
    std::vector<AtomBomb*> bombs = all<AtomBomb>(layer(GameController::LAYER_ENEMIES));
    ASSERT_EQ(bombs.size(), 8u);
    EXPECT_EQ(static_cast<PlimBase*>(layer(GameController::LAYER_ENEMIES)->firstChild), bombs[0]);
    for (AtomBomb* bomb : bombs) EXPECT_EQ(bomb->points, 0);
    EXPECT_EQ(match->pointsTotal, before + 4000);
    EXPECT_NEAR(zeppelin->position.x - x0, 16.0f * float(flown), 0.1f);

    // Turret energy and drop rhythm of the other types.
    const struct {
        int type;
        float energy;
        double interval;
    } types[] = {{1, 8.75f, 0.5}, {2, 10.5f, 1.4}, {3, 12.25f, 10.0}, {4, 14.0f, 1.3}, {5, 15.75f, 10.0}};
    for (const auto& t : types) {
        EXPECT_EQ(Zeppelin::turretEnergy(t.type), t.energy) << t.type;
        EXPECT_DOUBLE_EQ(Zeppelin::dropIntervalOf(t.type), t.interval) << t.type;
    }
}

TEST_F(ZeppelinTest, TypeFourDropsPropelledBombsTypeOneBombsAndFiveNothing) {
    startMatch();
    Zeppelin* four = enter(new Zeppelin(), 0.0f, 4);
    EXPECT_EQ(turrets()[0]->energy, 14.0f);
    const double t0 = match->scene->time;
    stepUntil([&] { return !all<PropelledBomb>(layer(GameController::LAYER_ENEMIES)).empty(); }, 200);
    EXPECT_GE(match->scene->time - t0, 1.3);
    EXPECT_LT(match->scene->time - t0, 1.311);
    std::vector<PropelledBomb*> drops = all<PropelledBomb>(layer(GameController::LAYER_ENEMIES));
    ASSERT_EQ(drops.size(), 1u);
    PropelledBomb* drop = drops[0];
    EXPECT_EQ(drop->points, 0);
    EXPECT_EQ(drop->speed, 64.0f);
    EXPECT_EQ(drop->tint, PropelledBomb::TINT_PLACED_BY_CREATOR);
    // On the hull's centre line, between the first and the last turret.
    const V3 left = four->worldPoint(V3(-80.0f, 0.0f, 0.0f));
    const V3 right = four->worldPoint(V3(192.0f, 0.0f, 0.0f));
    EXPECT_GE(drop->position.x, left.x - 1.0f);
    EXPECT_LE(drop->position.x, right.x + 1.0f);
    EXPECT_NEAR(drop->position.y, left.y + (right.y - left.y) * (drop->position.x - left.x) / (right.x - left.x), 0.5f);

    // Shot, the drop gives nothing.
    Shooter gun(0, V3(0.0f, 300.0f, 0.0f));
    gun.dealDamage(drop, 1.0f);
    EXPECT_EQ(match->playerData[0]->score, 0);
    four->bDestroyPending = true;
    harness->step();

    Zeppelin* one = enter(new Zeppelin(), 0.0f, 1);
    const size_t mark = soundMark();
    stepUntil([&] { return !all<BomberBomb>(layer(GameController::LAYER_ENEMY_PROJECTILES)).empty(); }, 100);
    EXPECT_EQ(all<BomberBomb>(layer(GameController::LAYER_ENEMY_PROJECTILES)).size(), 1u);
    const std::vector<std::string> played = soundsSince(mark);
    EXPECT_NE(std::find(played.begin(), played.end(), "bomberDropBomb"), played.end());
    one->bDestroyPending = true;
    harness->step();

    Zeppelin* five = enter(new Zeppelin(), 0.0f, 5);
    EXPECT_EQ(turrets().back()->energy, 15.75f);
    const unsigned enemies = layer(GameController::LAYER_ENEMIES)->getNumChildren();
    harness->runSeconds(10.5);
    EXPECT_EQ(five->dropTimer < 1.0, true);
    EXPECT_LE(layer(GameController::LAYER_ENEMIES)->getNumChildren(), enemies);
}

TEST_F(ZeppelinTest, TheHullRefillsAndTheAirshipComesBackAtTheLeftWithItsTurrets) {
    startMatch();
    Zeppelin* zeppelin = enter(new Zeppelin());
    Shooter gun(0, V3(0.0f, 300.0f, 0.0f));
    gun.dealDamage(zeppelin, 5000.0f);
    EXPECT_EQ(zeppelin->energy, Zeppelin::ENERGY);
    EXPECT_FALSE(zeppelin->bDestroyPending);
    EXPECT_EQ(match->playerData[0]->score, 0);
    EXPECT_EQ(zeppelin->collisionSensitivity, 0.0f);

    const Rect view = match->scene->camera->getVisibleRect(0.0f);
    zeppelin->position = V3(view.right + 32.5f, 100.0f, 0.0f);
    zeppelin->updateVisuals();
    harness->step();
    EXPECT_EQ(zeppelin->position.x, view.left - 2.0f * zeppelin->pSkin->width);
    EXPECT_GE(zeppelin->position.y, 0.3f * (view.top + 25.0f) - 25.0f);
    EXPECT_LE(zeppelin->position.y, 0.8f * (view.top + 25.0f) - 25.0f);
    harness->step();
    for (ZeppelinTurret* turret : turrets()) {
        const V3 at = zeppelin->worldPoint(turret->mountOffset);
        EXPECT_NEAR(turret->position.x, at.x, 1e-3f);
        EXPECT_NEAR(turret->position.y, at.y, 1e-3f);
        EXPECT_EQ(turret->rotation.z, zeppelin->rotation.z);
    }
    EXPECT_FALSE(zeppelin->bDestroyPending);

    // A turret whose airship is gone leaves quietly.
    zeppelin->bDestroyPending = true;
    harness->steps(2);
    EXPECT_TRUE(turrets().empty());
    EXPECT_EQ(match->playerData[0]->score, 0);
}

TEST_F(ZeppelinTest, TheLastTurretBringsTheBurnTheBlastAndTheEndOfTheHeldSpawners) {
    startMatch();
    // The match holds spawners of its own, as a mode does; kamikazes due from
    // 13 s on the spawner's clock.
    PlimBase* holder = new PlimBase();
    match->scene->addChildFirst(holder);
    holder->addChild(new EnemySpawner(EnemySpawner::TYPE_KAMIKAZE, 10.0, 20.0, 3, 2, true, 0.0f, 0));
    Reference<EnemySpawner> spawner(nullptr);
    spawner.set(static_cast<EnemySpawner*>(static_cast<PlimBase*>(holder->firstChild)));
    EnemySpawner* other = new EnemySpawner(EnemySpawner::TYPE_BIPLANE, 30.0, 40.0, 2, 1, true, 0.0f, 0);
    match->layer(GameController::LAYER_ISLANDS)->addChild(other);
    Reference<EnemySpawner> elsewhere(nullptr);
    elsewhere.set(other);

    Zeppelin* zeppelin = enter(new Zeppelin());
    Reference<Zeppelin> airship(nullptr);
    airship.set(zeppelin);
    std::vector<ZeppelinTurret*> mounted = turrets();
    ASSERT_EQ(mounted.size(), 4u);
    Shooter gun(0, V3(0.0f, 300.0f, 0.0f));
    CameraBlender* camera = match->scene->getCameraBlender();
    for (int i = 0; i < 4; ++i) {
        harness->steps(10);
        const size_t mark = soundMark();
        gun.dealDamage(mounted[i], 10.0f);
        EXPECT_TRUE(mounted[i]->bDestroyPending);
        EXPECT_EQ(match->playerData[0]->score, 1000 * (i + 1));
        EXPECT_EQ(zeppelin->turretsLeft, 3 - i);
        EXPECT_EQ(soundsSince(mark), std::vector<std::string>{"explosionShort"});
        EXPECT_EQ(World::sound("explosionShort")->pitchMin, -0.5f);
        EXPECT_DOUBLE_EQ(camera->shakeAmplitude, 0.005);
        EXPECT_EQ(zeppelin->state, i < 3 ? Zeppelin::STATE_FLYING : Zeppelin::STATE_BURNING);
    }
    const double burnStart = match->time;
    const std::vector<std::string> messages = harness->log.linesOf("message");
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("\"excellent!\"\t3.00"), std::string::npos);
    EXPECT_EQ(zeppelin->acceleration.y, -0.5f);

    const size_t logMark = harness->log.linesOf("sound").size();
    harness->runSeconds(2.0);
    EXPECT_NEAR(zeppelin->velocity.y, -1.0f, 0.02f); // sinking
    EXPECT_LT(zeppelin->heading, 0.0f);
    stepUntil([&] { return !airship.get(); }, 700);
    EXPECT_EQ(airship.get(), nullptr);
    EXPECT_TRUE(turrets().empty());

    // Bursts 0.05 to 0.55 s apart, then the blast a little over 5 s in.
    std::vector<double> bursts;
    double blast = -1.0;
    const std::vector<std::string> lines = harness->log.linesOf("sound");
    for (size_t i = logMark; i < lines.size(); ++i) {
        if (lines[i].find("explosionShort") != std::string::npos &&
            lines[i].find("-0.750..0.000") != std::string::npos)
            bursts.push_back(timeOf(lines[i]));
        if (lines[i].find("explosionLong") != std::string::npos) blast = timeOf(lines[i]);
    }
    ASSERT_GE(bursts.size(), 9u);
    EXPECT_NEAR(bursts[0] - burnStart, 0.01, 0.0051);
    for (size_t i = 1; i < bursts.size(); ++i) {
        EXPECT_GE(bursts[i] - bursts[i - 1], 0.05 - 0.0051);
        EXPECT_LE(bursts[i] - bursts[i - 1], 0.55 + 0.0151);
    }
    EXPECT_NEAR(blast - burnStart, 5.01, 0.0151);
    EXPECT_LE(bursts.back(), blast);

    // Nine explosions of ten particles at scale 10 along the hull.
    int blasts = 0;
    for (Explosion* e : all<Explosion>(layer(GameController::LAYER_FIREWORKS)))
        if (e->count == 10 && e->particles[0].scale.x == 10.0f) ++blasts;
    EXPECT_EQ(blasts, 9);
    EXPECT_DOUBLE_EQ(camera->shakeAmplitude, 0.02);

    // Every spawner of the match is gone, and what they held never appears.
    harness->step();
    EXPECT_EQ(spawner.get(), nullptr);
    EXPECT_EQ(elsewhere.get(), nullptr);
    harness->runSeconds(40.0);
    EXPECT_TRUE(all<Kamikaze>(layer(GameController::LAYER_ENEMIES)).empty());
    EXPECT_EQ(MatchHarness::liveChildren(layer(GameController::LAYER_AIRPLANES)), 0);
    EXPECT_EQ(MatchHarness::liveChildren(layer(GameController::LAYER_ENEMIES)), 0);
}

} // namespace
