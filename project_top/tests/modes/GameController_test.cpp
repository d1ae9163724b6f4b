// The match screen over the real engine and data: its tree and flags, entering
// and leaving, the end of a match, bonus timing, slow motion, the per-frame
// collision and rules pass, weapon switching and the damage and scoring rules.
#include "MatchFixture.h"
#include "widgets/Background.h"
#include "ContextBlender.h"
#include "FontQuad.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "core/ResourceManager.h"
#include "audio/SoundStream.h"
#include "core/TimeKeeper.h"
#include "app/MyGlobal.h"
#include "modes/Messenger.h"
#include "modes/PlayerHUD.h"

#include <algorithm>
#include <vector>

namespace {

using GameControllerTest = MatchTest;

PlimBase* resource(const char* name) { return PLIM->resourceManager->find(name, true); }

// Records the pass that runs after drawing.
class CountingController : public GameController {
public:
    void checkCollisions() override { calls.push_back(PLIM->frameStats[STAT_RENDERABLES] > 0 ? 'C' : 'c'); }
    void updateRules() override { calls.push_back('R'); }
    void computeRating() override {
        playerData[0]->rating = 1.0f;
        playerData[1]->rating = 0.5f;
    }
    void onAllPalmsDead(int player) override { palmsDead.push_back(player); }
    std::vector<char> calls;
    std::vector<int> palmsDead;
};

// Remembers what it was hit for.
class Target : public GameObject {
public:
    explicit Target(int owner, float energy = 1.0f) : GameObject(owner) { setEnergy(energy); }
    void onHit(GameObject*, float amount) override { hits.push_back(amount); }
    void onDestroyed(GameObject* by) override {
        ++destroyed;
        GameObject::onDestroyed(by);
    }
    std::vector<float> hits;
    int destroyed = 0;
};

TEST_F(GameControllerTest, BuildsTheSceneAndDisplaysInOrder) {
    GameController* match = start();
    EXPECT_EQ(GameController::current(), match);
    EXPECT_TRUE(match->bDeleteWhenDone);
    EXPECT_TRUE(match->bEscapeAsksQuit);
    EXPECT_FALSE(match->bMousePointer);

    EXPECT_EQ(match->firstChild, match->scene);
    EXPECT_EQ(match->scene->next, match->hud);
    EXPECT_EQ(match->lastChild, match->hud);

    std::vector<BasicLink*> scene;
    for (BasicLink* c = match->scene->firstChild; c; c = c->next) scene.push_back(c);
    ASSERT_EQ(scene.size(), size_t(1 + GameController::LAYER_COUNT + 2));
    EXPECT_EQ(scene[0], match->background);
    for (int i = 0; i < GameController::LAYER_COUNT; ++i) EXPECT_EQ(scene[1 + i], match->layer(i));
    EXPECT_EQ(scene[15], match->playerData[0]);
    EXPECT_EQ(scene[16], match->playerData[1]);

    std::vector<BasicLink*> hud;
    for (BasicLink* c = match->hud->firstChild; c; c = c->next) hud.push_back(c);
    ASSERT_EQ(hud.size(), 3u);
    EXPECT_EQ(hud[0], match->playerHud[0]);
    EXPECT_EQ(hud[1], match->playerHud[1]);
    EXPECT_EQ(hud[2], match->messenger);
    EXPECT_EQ(match->messenger->font, harness->app->fontLarge);
    EXPECT_EQ(match->messenger->y, 100);
    EXPECT_EQ(match->messenger->fadeTime, 0.25);
    EXPECT_EQ(match->messenger->colour, UColor(255, 255, 255, 255));

    EXPECT_EQ(match->playerData[1]->player, 1);
    EXPECT_EQ(match->playerHud[1]->player, 1);
    EXPECT_EQ(match->pointsTotal, 1);
    EXPECT_EQ(match->gameType, GameController::GAMETYPE_NONE);
    EXPECT_FALSE(match->bMatrixFight || match->bBerserkMode || match->bNoBlaster || match->bBloatedProjectiles ||
                 match->bBouncyBombs || match->bAutocannons);
}

TEST_F(GameControllerTest, EnteringSetsHumansSpeedAndMusic) {
    SaveData& saved = harness->app->saveData;
    saved.bInGameMusic = 1;
    for (int computers = 0; computers <= 2; ++computers) {
        GameController* match = start<GameController>([&](GameController& g) { g.computerPlayers = computers; });
        EXPECT_EQ(match->playerData[0]->bHuman, computers < 2) << computers;
        EXPECT_EQ(match->playerData[1]->bHuman, computers < 1) << computers;
        EXPECT_EQ(match->gameSpeed, 1.0);
        EXPECT_EQ((PlimBase*)PLIM->audio->currentMusic, resource("musicGame"));
        TearDown();
    }
    saved.bInGameMusic = 0;
    GameController* berserk = start<GameController>([](GameController& g) { g.bBerserkMode = true; });
    EXPECT_EQ(berserk->gameSpeed, 2.0);
    EXPECT_EQ(berserk->scene->timeScale, 2.0);
    EXPECT_EQ(PLIM->audio->currentMusic, nullptr);
    saved.bInGameMusic = 1;
}

TEST_F(GameControllerTest, LeavingTheStackEndsTheMatch) {
    GameController* match = start();
    match->onDeactivate(false); // only covered
    EXPECT_EQ(GameController::current(), match);
    harness->step();
    match->bDone = true;
    harness->step();
    EXPECT_EQ(GameController::current(), nullptr);
    EXPECT_EQ(harness->app->currentController, nullptr);
    EXPECT_EQ((PlimBase*)PLIM->audio->currentMusic, resource("musicMenu"));
}

TEST_F(GameControllerTest, EndGameKeepsNineTenthsOfTheRatingsAndSilences) {
    CountingController* match = start<CountingController>();
    harness->steps(2);
    EXPECT_NE(PLIM->audio->currentMusic, nullptr);
    match->endGame();
    EXPECT_FLOAT_EQ(match->playerData[0]->rating, 0.9f);
    EXPECT_FLOAT_EQ(match->playerData[1]->rating, 0.45f);
    EXPECT_EQ(PLIM->audio->currentMusic, nullptr);
}

TEST_F(GameControllerTest, BonusTimesFollowTheFrequency) {
    GameController* match = start();
    harness->steps(3);
    const double spreads[] = {60.0, 30.0, 10.0};
    for (int frequency = 0; frequency < 3; ++frequency) {
        match->bonusFrequency = frequency;
        double low = 1e9, high = -1e9;
        for (int i = 0; i < 10000; ++i) {
            const double wait = match->nextBonusTime() - match->time;
            low = std::min(low, wait);
            high = std::max(high, wait);
        }
        EXPECT_GE(low, 10.0);
        EXPECT_LT(low, 10.1);
        EXPECT_LT(high, 10.0 + spreads[frequency]);
        EXPECT_GT(high, 9.9 + spreads[frequency]);
    }
    match->bBonuses = false;
    EXPECT_EQ(match->nextBonusTime(), match->time + 1000000.0);
}

TEST_F(GameControllerTest, BulletTimeSlowsTheSceneAfterAShot) {
    GameController* match = start<GameController>([](GameController& g) { g.bMatrixFight = true; });
    harness->step();
    EXPECT_EQ(match->scene->timeScale, 1.0); // no shot yet
    const double t = PLIM->timeKeeper->getTime();
    match->bulletTimeEnd = t + 2.0;
    EXPECT_DOUBLE_EQ(match->bulletTimeScale(t), 0.25);
    EXPECT_DOUBLE_EQ(match->bulletTimeScale(t + 0.25), 0.25);
    EXPECT_DOUBLE_EQ(match->bulletTimeScale(t + 1.125), 0.625);
    EXPECT_DOUBLE_EQ(match->bulletTimeScale(t + 2.0), 1.0);
    EXPECT_DOUBLE_EQ(match->bulletTimeScale(t + 30.0), 1.0);
    harness->step(); // the frame's clock is a period past t
    EXPECT_DOUBLE_EQ(match->scene->timeScale, 0.25);
    harness->ticks.advance(1115);
    harness->step();
    EXPECT_NEAR(match->scene->timeScale, 0.625, 1e-6);
    harness->runSeconds(1.0);
    EXPECT_EQ(match->scene->timeScale, 1.0);
    match->gameSpeed = 2.0;
    EXPECT_DOUBLE_EQ(match->bulletTimeScale(match->bulletTimeEnd - 2.0), 0.5);

    GameController* calm = start(); // without the mutator the scale stays
    calm->bulletTimeEnd = PLIM->timeKeeper->getTime() + 2.0;
    harness->step();
    EXPECT_EQ(calm->scene->timeScale, 1.0);
}

TEST_F(GameControllerTest, CollisionsAndRulesRunOncePerRenderedFrameAfterDrawing) {
    CountingController* match = start<CountingController>();
    harness->steps(3);
    EXPECT_EQ(std::string(match->calls.begin(), match->calls.end()), "CRCRCR");
    // A page drawing the frozen match underneath runs nothing.
    match->render();
    match->render();
    EXPECT_EQ(match->calls.size(), 6u);
}

TEST_F(GameControllerTest, SwitchingWeaponsRefillsTheBlaster) {
    GameController* match = start();
    match->switchWeapon(0, 6, false); // no vehicle: nothing, not even the check
    Vehicle* v = giveVehicle(match, 0);
    v->maxBlasterEnergy = 2.0f;
    v->blasterEnergy = 0.2f;
    const size_t sounds = harness->log.linesOf("sound").size();
    match->switchWeapon(0, 3, true);
    EXPECT_EQ(v->blasterEnergy, 2.0f);
    EXPECT_EQ(harness->log.linesOf("sound").size(), sounds);
    match->switchWeapon(0, 0, false);
    const std::vector<std::string> played = harness->log.linesOf("sound");
    ASSERT_EQ(played.size(), sounds + 1);
    EXPECT_NE(played.back().find("switchWeaponLower"), std::string::npos);
}

TEST(GameControllerDeathTest, UnknownWeaponIsFatal) {
    // The fatal path leaves the engine standing: no leak check in the child.
    std::string options = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
    setenv("ASAN_OPTIONS", (options + ":detect_leaks=0").c_str(), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto switchTo = [](int weapon) {
        EngineTestFolder::routeStdoutToStderr();
        MatchHarness run;
        GameController* match = run.start([] { return new GameController(); });
        Vehicle* v = new Vehicle(1);
        match->layer(GameController::LAYER_AIRPLANES)->addChild(v);
        match->playerData[1]->pVehicle.set(v);
        match->switchWeapon(1, weapon, true);
    };
    EXPECT_EXIT(switchTo(6), ::testing::ExitedWithCode(255),
                "Unknown weapon.\n Function: switchWeapon\\(\\)\n File: project_top/src/GameController");
    EXPECT_EXIT(switchTo(-1), ::testing::ExitedWithCode(255), "Unknown weapon.");
    setenv("ASAN_OPTIONS", options.c_str(), 1);
}

TEST_F(GameControllerTest, DamageFollowsTheVehiclesFactorsAndScores) {
    GameController* match = start();
    Vehicle* v0 = giveVehicle(match, 0);
    PlayerData* p0 = match->playerData[0];
    GameObject shot(0);

    Target t(1, 2.0f);
    t.points = 100;
    EXPECT_EQ(shot.dealDamage(&t, 0.0f), 0.0f);
    EXPECT_TRUE(t.hits.empty());
    EXPECT_EQ(p0->score, 0);
    // Player 1 has no vehicle: its object takes what arrives.
    EXPECT_FLOAT_EQ(t.takeDamage(&shot, 5.0f), 2.0f);
    EXPECT_EQ(t.energy, 0.0f);
    EXPECT_EQ(t.destroyed, 1);
    EXPECT_TRUE(t.bDestroyPending);
    EXPECT_EQ(t.takeDamage(&shot, 1.0f), 0.0f); // already empty: hit for 0, not destroyed again
    EXPECT_EQ(t.hits, std::vector<float>({2.0f, 0.0f}));
    EXPECT_EQ(t.destroyed, 1);

    // 0.101 per hit: the tenth destroys an object of 1.0.
    Target plane(1);
    for (int i = 0; i < 9; ++i) shot.dealDamage(&plane, 0.1f);
    EXPECT_EQ(plane.destroyed, 0);
    EXPECT_FLOAT_EQ(plane.hits[0], 0.101f);
    shot.dealDamage(&plane, 0.1f);
    EXPECT_EQ(plane.destroyed, 1);

    Target rich(1);
    rich.points = 1500;
    shot.dealDamage(&rich, 0.1f);
    EXPECT_EQ(p0->score, 152);
    GameObject nobody(-1);
    nobody.dealDamage(&rich, 0.1f);
    EXPECT_EQ(p0->score, 152);

    v0->damageDealtFactor = 2.0f;
    Target big(1, 100.0f);
    shot.dealDamage(&big, 1.0f);
    EXPECT_FLOAT_EQ(big.hits.back(), 2.02f);
    v0->damageDealtFactor = 1.0f;
    v0->damageTakenFactor = 0.5f;
    Target mine(0, 100.0f);
    mine.takeDamage(&nobody, 1.0f);
    EXPECT_FLOAT_EQ(mine.hits.back(), 0.5f);

    // Shared damage: the factors of every player with a vehicle.
    Target palm(0, 100.0f);
    palm.bSharedDamage = true;
    palm.takeDamage(&nobody, 1.0f);
    EXPECT_FLOAT_EQ(palm.hits.back(), 0.5f);
    Vehicle* v1 = giveVehicle(match, 1);
    v1->damageTakenFactor = 0.5f;
    palm.takeDamage(&nobody, 1.0f);
    EXPECT_FLOAT_EQ(palm.hits.back(), 0.25f);

    // Contact: each side deals its own contact damage.
    Target a(0, 10.0f), b(1, 10.0f);
    b.contactDamage = 3.0f;
    a.onCollision(&b);
    b.onCollision(&a);
    EXPECT_FLOAT_EQ(b.hits.back(), 1.01f * 0.5f);
    EXPECT_FLOAT_EQ(a.hits.back(), 3.03f * 0.5f);
}

TEST_F(GameControllerTest, ADestroyedVehicleLeavesNoPointerBehind) {
    GameController* match = start();
    Vehicle* v = giveVehicle(match, 1);
    v->onDestroyed(nullptr);
    harness->step();
    EXPECT_EQ(match->playerData[1]->vehicle(), nullptr);
    EXPECT_EQ(GameController::currentVehicle(1), nullptr);
    match->switchWeapon(1, 2, false); // nothing to arm
}

TEST_F(GameControllerTest, MutatorsComeFromTheSavedOptions) {
    SaveData& saved = harness->app->saveData;
    saved.bBerserkMode = 1;
    saved.bNoBlaster = 1;
    GameController* match = start<GameController>([](GameController& g) { g.takeMutatorOptions(); });
    EXPECT_TRUE(match->bBerserkMode);
    EXPECT_TRUE(match->bNoBlaster);
    EXPECT_FALSE(match->bMatrixFight);
    EXPECT_EQ(match->scene->timeScale, 2.0);
    saved.bBerserkMode = 0;
    saved.bNoBlaster = 0;
}

} // namespace
