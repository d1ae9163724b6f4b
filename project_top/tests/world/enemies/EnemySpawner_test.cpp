// The enemy spawner and the placement rule in a scripted match: group
// scaling for two players, release times (even, random, equal times first),
// release of everything due in one tick with its points, self-removal, the
// cancel of every spawner, the unknown type's fatal, and the start positions
// at the edges of the view.
#include "render/Camera.h"
#include "ContextBlender.h"
#include "EnemyFixture.h"
#include "EngineTestFolder.h"
#include "util/Random.h"
#include "render/Skin.h"
#include "world/enemies/Crate.h"
#include "world/enemies/EnemySpawner.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

using L = GameController;
using EnemySpawnerTest = EnemyTest;

std::vector<float> releaseTimes(const EnemySpawner& spawner) {
    std::vector<float> times;
    for (BasicLink* c = spawner.pending.firstChild; c; c = c->next)
        times.push_back(static_cast<Enemy*>(static_cast<PlimBase*>(c))->spawnTime);
    return times;
}

Enemy* enemyAt(BasicLink* link) { return static_cast<Enemy*>(static_cast<PlimBase*>(link)); }

TEST_F(EnemySpawnerTest, TwoPlayersScaleTheGroupsAndEvenTimesRunFromT0ToT1) {
    startMatch(2);
    const int groups[][2] = {{0, 0}, {1, 1}, {2, 3}, {3, 4}, {5, 7}};
    for (const auto& g : groups) {
        EnemySpawner spawner(EnemySpawner::TYPE_CRATE, 0.0, 10.0, g[0], 1, true, 0.0f, 0);
        EXPECT_EQ(spawner.pendingCount(), g[1]) << g[0] << " groups";
    }
    match->playerCount = 1;
    EnemySpawner five(EnemySpawner::TYPE_CRATE, 0.0, 10.0, 5, 1, true, 0.0f, 0);
    EXPECT_EQ(five.pendingCount(), 5);

    // Three even groups of two from 2 s to 8 s: 5, 8, 11 (all 3 s late),
    // each enemy carrying the spawner's difficulty and tint.
    EnemySpawner even(EnemySpawner::TYPE_CRATE, 2.0, 8.0, 3, 2, true, 0.5f, 0x12345678);
    EXPECT_EQ(releaseTimes(even), (std::vector<float>{5, 5, 8, 8, 11, 11}));
    Enemy* first = enemyAt(even.pending.firstChild);
    EXPECT_EQ(first->difficulty, 0.5f);
    EXPECT_EQ(first->tint, 0x12345678);

    // One group, even or not, gets a random time; random groups are sorted.
    EnemySpawner single(EnemySpawner::TYPE_CRATE, 2.0, 8.0, 1, 1, true, 0.0f, 0);
    const float t = releaseTimes(single)[0];
    EXPECT_GE(t, 5.0f);
    EXPECT_LT(t, 11.0f);
    EnemySpawner random(EnemySpawner::TYPE_CRATE, 0.0, 100.0, 20, 1, false, 0.0f, 0);
    std::vector<float> times = releaseTimes(random);
    ASSERT_EQ(times.size(), 20u);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    EXPECT_NE(times.front(), times.back());
    EXPECT_GE(times.front(), 3.0f);
    EXPECT_LT(times.back(), 103.0f);

    // An equal time goes before the enemies already waiting for it.
    Crate* late = new Crate(0);
    late->spawnTime = 8.0f;
    Enemy* earlierEight = enemyAt(even.pending.getChild(2));
    even.insertSorted(late);
    EXPECT_EQ(even.pending.getChild(2), late);
    EXPECT_EQ(even.pending.getChild(3), earlierEight);
    Crate* earliest = new Crate(0);
    earliest->spawnTime = 5.0f;
    even.insertSorted(earliest);
    EXPECT_EQ(even.pending.firstChild, earliest);
}

TEST_F(EnemySpawnerTest, ReleasesEverythingDueInOneTickInOrderWithItsPoints) {
    startMatch(1);
    auto* spawner = new EnemySpawner(EnemySpawner::TYPE_CRATE, 1.0, 1.0, 1, 3, true, 0.0f, 0);
    match->scene->addChild(spawner);
    const std::vector<BasicLink*> order = {spawner->pending.getChild(0), spawner->pending.getChild(1),
                                           spawner->pending.getChild(2)};
    const int32_t points = match->pointsTotal;
    spawner->tick(0.0, 3.99);
    EXPECT_EQ(MatchHarness::liveChildren(layer(L::LAYER_ENEMIES)), 0);
    EXPECT_EQ(EnemySpawner::pendingIn(match), 3);
    spawner->tick(0.0, 0.01); // clock 4.0: the release time 1 + 3
    ASSERT_EQ(MatchHarness::liveChildren(layer(L::LAYER_ENEMIES)), 3);
    const Rect view = match->scene->camera->getVisibleRect(0.0f);
    BasicLink* c = layer(L::LAYER_ENEMIES)->firstChild;
    for (BasicLink* expected : order) {
        EXPECT_EQ(c, expected);
        EXPECT_GT(enemyAt(c)->position.y, view.top); // placed by its own onSpawn
        c = c->next;
    }
    EXPECT_EQ(match->pointsTotal, points + 3 * Crate::POINTS);
    EXPECT_TRUE(spawner->bDestroyPending);

    // Nothing to hold: gone after its first tick.
    EnemySpawner none(EnemySpawner::TYPE_CRATE, 0.0, 1.0, 0, 5, true, 0.0f, 0);
    EnemySpawner empty(EnemySpawner::TYPE_CRATE, 0.0, 1.0, 4, 0, false, 0.0f, 0);
    none.tick(0.0, 0.01);
    empty.tick(0.0, 0.01);
    EXPECT_TRUE(none.bDestroyPending);
    EXPECT_TRUE(empty.bDestroyPending);
}

TEST_F(EnemySpawnerTest, CancellingDeletesEverySpawnerAndWhatItHolds) {
    startMatch(2);
    PlimBase* holder = new PlimBase();
    match->scene->addChild(holder);
    holder->addChild(new EnemySpawner(EnemySpawner::TYPE_CRATE, 0.0, 1.0, 2, 2, true, 0.0f, 0));
    match->scene->addChild(new EnemySpawner(EnemySpawner::TYPE_ATOM_BOMB, 0.0, 1.0, 1, 1, true, 0.0f, 0));
    EXPECT_EQ(EnemySpawner::pendingIn(), 7);
    EnemySpawner::cancelAll();
    harness->steps(2);
    EXPECT_EQ(EnemySpawner::pendingIn(), 0);
    EXPECT_EQ(holder->firstChild, nullptr);
    harness->runSeconds(5.0);
    EXPECT_EQ(MatchHarness::liveChildren(layer(L::LAYER_ENEMIES)), 0);
}

TEST(EnemySpawnerDeathTest, AnUnknownTypeIsFatal) {
    std::string options = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
    setenv("ASAN_OPTIONS", (options + ":detect_leaks=0").c_str(), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto spawn = [](int type) {
        EngineTestFolder::routeStdoutToStderr();
        MatchHarness run;
        run.start([] { return new GameController(); });
        EnemySpawner spawner(type, 0.0, 1.0, 1, 1, true, 0.0f, 0);
    };
    EXPECT_EXIT(spawn(13), ::testing::ExitedWithCode(255),
                "Tried to spawn unknown enemy type.\n Function: instantiateEnemy\\(\\)\n File: "
                "project_top/src/EnemySpawner\n Line: 100");
    EXPECT_EXIT(spawn(-1), ::testing::ExitedWithCode(255), "Tried to spawn unknown enemy type.");
    setenv("ASAN_OPTIONS", options.c_str(), 1);
}

TEST_F(EnemySpawnerTest, PlacementsAtTheEdgesOfTheView) {
    startMatch(2);
    Camera* camera = match->scene->camera;
    const Rect view = camera->getVisibleRect(0.0f);
    const float u = camera->getUnitsPerPixel(0.0f);
    Crate crate(0);
    const float w = crate.pSkin->width, h = crate.pSkin->height;
    const float xL = view.left - w, xR = view.right + w;
    const float low = std::max(64.0f * u - 25.0f, view.bottom), high = view.top - 32.0f * u;

    camera->position.x = 15.0f; // centred: either side
    std::set<float> sides;
    for (int i = 0; i < 200; ++i) {
        const V3 p = crate.getSpawnPosition(Enemy::PLACE_SIDE);
        sides.insert(p.x);
        EXPECT_GE(p.y, low);
        EXPECT_LT(p.y, high);
        EXPECT_EQ(p.z, 0.0f);
    }
    EXPECT_EQ(sides, (std::set<float>{xL, xR}));

    // Offset right: placement 2 keeps to the right, 3 never uses the left edge.
    camera->position.x = 16.0f;
    int top = 0, right = 0;
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(crate.getSpawnPosition(Enemy::PLACE_SIDE).x, xR);
        const V3 p = crate.getSpawnPosition(Enemy::PLACE_SIDE_OR_TOP);
        EXPECT_NE(p.x, xL);
        if (p.x == xR) {
            ++right;
        } else {
            ++top;
            EXPECT_EQ(p.y, view.top + h);
        }
    }
    EXPECT_GT(top, 0);
    EXPECT_GT(right, 0);
    camera->position.x = -16.0f;
    for (int i = 0; i < 200; ++i) EXPECT_NE(crate.getSpawnPosition(Enemy::PLACE_SIDE_OR_TOP).x, xR);

    const V3 water = crate.getSpawnPosition(Enemy::PLACE_WATER);
    EXPECT_EQ(water.y, -25.0f);
    EXPECT_GE(water.x, view.left);
    EXPECT_LT(water.x, view.right);
    EXPECT_EQ(crate.getSpawnPosition(Enemy::PLACE_TOP).y, view.top + h);
    EXPECT_EQ(crate.getSpawnPosition(6).x, 0.0f);
    // Toward the camera's x, which itself counts as left of it.
    EXPECT_EQ(Enemy::directionToCentre(V3(-17.0f, 0, 0)), 1);
    EXPECT_EQ(Enemy::directionToCentre(V3(-16.0f, 0, 0)), 1);
    EXPECT_EQ(Enemy::directionToCentre(V3(-15.9f, 0, 0)), -1);
}

} // namespace
