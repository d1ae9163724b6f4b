// The invasion on the match harness: its opening, the lost palm, a bot's
// cleared wave, crate weapons, the rating, cannons, wave ends, healing,
// balloons, the won sequence and the zeppelin's camera.
#include "AimingCannon.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "InvasionFixture.h"
#include "widgets/RadialFader.h"
#include "modes/ContextEnding.h"
#include "RenderableText.h"
#include "ScriptedController.h"
#include "modes/PlayerHUD.h"
#include "modes/pages/ContextGameHelp.h"
#include "world/CameraStatic.h"
#include "world/enemies/Crate.h"
#include "world/enemies/EnemySpawner.h"
#include "world/enemies/HotAirBalloon.h"
#include "world/enemies/Zeppelin.h"
#include "world/weapons/BombCampaign.h"
#include "world/weapons/Weapon.h"
#include "world/weapons/WeaponCannonBallCampaign.h"

#include <cmath>
#include <typeinfo>

namespace {
int cameras(GameController* match) { return match->scene->getCameraBlender()->getNumChildren(); }
CameraStatic* lastCamera(GameController* match) {
    BasicLink* last = nullptr;
    for (BasicLink* c = match->scene->getCameraBlender()->firstChild; c; c = c->next) last = c;
    return dynamic_cast<CameraStatic*>(last);
}
} // namespace

TEST_F(InvasionTest, IdleDefenderLosesItsOnlyPalmToABombAndTheMatchFadesOut) {
    options(4, 0, false);
    harness->log.lines.clear();
    GameControllerCampaign* match = startInvasion();
    EXPECT_EQ(match->playerCount, 1);
    EXPECT_EQ(match->palmCount, 1);
    EXPECT_EQ(match->gameType, GameController::GAMETYPE_INVASION);
    EXPECT_FALSE(match->bSabotageBonuses);
    EXPECT_FALSE(match->bLimitBombRange);
    EXPECT_EQ(match->bonusFrequency, 1);
    EXPECT_EQ(match->playerData[0]->color, UColor(0, 0, 255, 255));
    EXPECT_EQ(match->playerData[1]->color, UColor(255, 0, 0, 255));
    EXPECT_EQ(match->playerData[0]->numPalms, 1);
    EXPECT_EQ(harness->liveLayers()[GameController::LAYER_CANNONS], 1);
    EXPECT_EQ(match->playerData[0]->vehicle()->position.x, 0.0f);
    EXPECT_TRUE(dynamic_cast<WeaponCannonBallCampaign*>(match->playerData[0]->vehicle()->weapon));
    EXPECT_EQ(match->scene->firstChild, match->spawners);
    EXPECT_EQ(harness->app->contextManager->fader->target, 0.0f);

    // Help off: get ready at 1.0 s (plus the 0.001 s step), the first wave 5 s later.
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_WAVE, 12.0));
    EXPECT_EQ(match->waveNumber, 1);
    EXPECT_EQ(harness->app->contextManager->getTop(), match); // no help page
    const std::vector<double> ready = messageTimes("get ready!");
    const std::vector<double> wave = messageTimes("wave 1");
    ASSERT_EQ(ready.size(), 1u);
    ASSERT_EQ(wave.size(), 1u);
    EXPECT_NEAR(ready[0], 1.0, 0.02);
    EXPECT_NEAR(wave[0], 6.0, 0.03);
    EXPECT_FALSE(match->playerHud[0]->bHidden);
    EXPECT_TRUE(match->playerHud[1]->bHidden); // only playing players' displays

    // A bomb right on the palm burns it; "game over!" a second later.
    GameObject* palm = match->playerData[0]->palms[0].get();
    ASSERT_TRUE(palm);
    match->layer(GameController::LAYER_ENEMY_PROJECTILES)
        ->addChild(new BombCampaign(-1, palm->position.x, palm->position.y + 20.0f, 0.0f, 0.0f, -50.0f, 0.0f));
    double burnt = -1.0;
    for (int i = 0; i < 300 && burnt < 0.0; ++i) {
        harness->step();
        if (match->playerData[0]->numPalmsStanding == 0) burnt = match->time;
    }
    ASSERT_GE(burnt, 0.0);
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_GAME_OVER, 2.0));
    const std::vector<double> over = messageTimes("game over!");
    ASSERT_EQ(over.size(), 1u);
    EXPECT_NEAR(over[0] - burnt, 1.0, 0.02);

    // Five seconds later the screen closes to black, three more and the end scene opens.
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_FADE, 5.5));
    EXPECT_EQ(harness->app->contextManager->fader->target, 1.0f);
    EXPECT_NEAR(match->time, over[0] + 5.0, 0.03);
    for (int i = 0; i < 400 && harness->matchOnTop(); ++i) harness->step();
    EXPECT_FALSE(harness->matchOnTop());
    EXPECT_TRUE(match->bDone);
    EXPECT_EQ(match->state, GameControllerCampaign::STATE_END);
    ContextEnding* ending = dynamic_cast<ContextEnding*>(harness->app->contextManager->getTop());
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->gameType, GameController::GAMETYPE_INVASION);
    harness->log.lines.clear();
    for (int i = 0; i < 2500 && ending->state != ContextEnding::STATE_CLICK; ++i) harness->step();
    ASSERT_EQ(ending->state, ContextEnding::STATE_CLICK);
    EXPECT_EQ(messageTimes("cease fire!").size(), 1u);
    EXPECT_EQ(messageTimes("and the winner is...").size(), 1u);
    EXPECT_EQ(ending->highScoreRank, -1); // nothing scored: no place text
    // A click fades it out and closes it.
    harness->scheduleMouseButton(harness->frame, 1, true);
    harness->scheduleMouseButton(harness->frame + 2, 1, false);
    harness->runSeconds(2.5);
    EXPECT_NE(harness->app->contextManager->getTop(), ending);
}

TEST_F(InvasionTest, BotClearsTheFirstWaveAndTheSecondIsAnnounced) {
    options(2, 0, false);
    harness->log.lines.clear();
    GameControllerCampaign* match = startInvasion();
    AimingCannon* bots[2];
    AimingCannon::install(match, bots);
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_WAVE, 12.0));
    match->bBonuses = false;
    match->nextBonusAt = match->nextCrateAt = 1.0e9;
    // The wave ends 2 s after its spawners and enemies are gone.
    double empty = -1.0;
    for (int i = 0; i < 12000 && match->state == GameControllerCampaign::STATE_WAVE; ++i) {
        keepPalmsStanding(match);
        harness->step();
        if (match->state != GameControllerCampaign::STATE_WAVE) break;
        const bool gone = !match->spawners->firstChild && !match->layer(GameController::LAYER_ENEMIES)->firstChild;
        if (gone && empty < 0.0) empty = match->time;
        if (!gone) empty = -1.0;
    }
    ASSERT_EQ(match->state, GameControllerCampaign::STATE_NEXT_WAVE);
    EXPECT_EQ(match->waveNumber, 2);
    ASSERT_GE(empty, 0.0);
    const std::vector<double> second = messageTimes("wave 2");
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NEAR(second[0] - empty, 2.0, 0.03);
    EXPECT_GT(match->playerData[0]->score, 0);
    EXPECT_EQ(match->playerData[0]->numPalmsStanding, match->playerData[0]->numPalms);
}

TEST_F(InvasionTest, AFallingCrateKeepsTheWaveRunning) {
    options(2, 0, false);
    GameControllerCampaign* match = startInvasion();
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_WAVE, 12.0));
    match->nextBonusAt = match->nextCrateAt = 1.0e9;
    match->spawners->destroyChildren();
    match->layer(GameController::LAYER_ENEMIES)->destroyChildren();
    Crate* crate = new Crate(Crate::KIND_PLAIN);
    crate->onSpawn();
    match->layer(GameController::LAYER_ENEMIES)->addChild(crate);
    double gone = -1.0;
    for (int i = 0; i < 6000 && match->state == GameControllerCampaign::STATE_WAVE; ++i) {
        harness->step();
        if (gone < 0.0 && !match->layer(GameController::LAYER_ENEMIES)->firstChild) gone = match->time;
    }
    ASSERT_GE(gone, 0.0);
    EXPECT_GT(gone, 6.0 + 3.0 + 2.0); // still falling well after the wave began
    EXPECT_EQ(match->waveNumber, 2);
    const std::vector<double> second = messageTimes("wave 2");
    ASSERT_FALSE(second.empty());
    EXPECT_NEAR(second.back() - gone, 2.0, 0.03);
}

TEST_F(InvasionTest, CrateWeaponRunDryGivesTheCannonBackAndTheEnergyPageOnce) {
    options(2, 0, false);
    GameControllerCampaign* match = startInvasion();
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_WAVE, 12.0));
    harness->app->saveData.bInGameHelp = 1;
    match->bBonusHintShown = match->bWeaponHintShown = match->bTreeHintShown = true;
    Vehicle* cannon = match->playerData[0]->vehicle();
    for (int round = 0; round < 2; ++round) {
        match->switchWeapon(0, 5, true);
        ASSERT_FALSE(dynamic_cast<WeaponCannonBallCampaign*>(cannon->weapon));
        cannon->weapon->bOutOfEnergy = true;
        const size_t lower = soundCount("switchWeaponLower");
        harness->step();
        EXPECT_TRUE(dynamic_cast<WeaponCannonBallCampaign*>(cannon->weapon));
        EXPECT_EQ(soundCount("switchWeaponLower"), lower + 1);
        Context* top = harness->app->contextManager->getTop();
        if (round == 0) {
            ASSERT_TRUE(dynamic_cast<ContextGameHelp*>(top));
            EXPECT_TRUE(match->bEnergyHintShown);
            top->bDone = true;
            harness->step();
        } else {
            EXPECT_EQ(top, match); // shown once per match
        }
    }
    harness->app->saveData.bInGameHelp = 0;
}

TEST_F(InvasionTest, RatingWeighsDifficultyAndWavesAndTakesTheBetterScorer) {
    EXPECT_FLOAT_EQ(GameControllerCampaign::ratingOf(5000, 20000, 2, 10, 50), 0.072f);
    EXPECT_FLOAT_EQ(GameControllerCampaign::ratingOf(5000, 1, 4, 50, 50), 1.0f);
    EXPECT_FLOAT_EQ(GameControllerCampaign::ratingOf(0, 1, 0, 0, 50), 0.0f);

    options(2, 1, false);
    GameControllerCampaign* match = startInvasion();
    EXPECT_EQ(match->playerCount, 2);
    match->waveNumber = 10;
    match->pointsTotal = 20000;
    match->playerData[0]->score = 1000;
    match->playerData[1]->score = 5000;
    match->computeRating();
    EXPECT_EQ(match->winner, 1);
    EXPECT_FLOAT_EQ(match->playerData[1]->rating, 0.072f);
    EXPECT_FLOAT_EQ(match->playerData[0]->rating, 0.0f);
    // endGame keeps nine tenths and ends the match.
    match->endGame();
    EXPECT_FLOAT_EQ(match->playerData[1]->rating, 0.072f * 0.9f);
    EXPECT_TRUE(match->bDone);
    harness->step();
    EXPECT_FALSE(harness->matchOnTop());
    ContextEnding* ending = dynamic_cast<ContextEnding*>(harness->app->contextManager->getTop());
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->gameType, GameController::GAMETYPE_INVASION);
}

TEST_F(InvasionTest, TwoPlayersStandAtMinusAndPlus32WithHalfAgainTheGroups) {
    int pending[2] = {};
    for (int players = 0; players < 2; ++players) {
        options(2, players, false);
        GameControllerCampaign* match = startInvasion();
        std::vector<float> xs;
        for (BasicLink* c = match->layer(GameController::LAYER_CANNONS)->firstChild; c; c = c->next)
            xs.push_back(static_cast<GameObject*>(c)->position.x);
        if (players == 0) EXPECT_EQ(xs, std::vector<float>({0.0f}));
        else EXPECT_EQ(xs, std::vector<float>({-32.0f, 32.0f}));
        EXPECT_EQ(match->playerData[1]->vehicle() != nullptr, players == 1);
        ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_NEXT_WAVE, 8.0));
        pending[players] = EnemySpawner::pendingIn(match->spawners);
        EXPECT_EQ(match->playerHud[1]->bHidden, players == 0);
        match->bDone = true;
        harness->step();
    }
    EXPECT_EQ(pending[0], 30 + 8 + 4);
    EXPECT_EQ(pending[1], 45 + 12 + 6);
}

TEST_F(InvasionTest, StandingPalmsHealAtEachWaveFallenOnesStayDown) {
    options(0, 0, false);
    GameControllerCampaign* match = startInvasion();
    PlayerData* data = match->playerData[0];
    ASSERT_EQ(data->numPalms, 5);
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_WAVE, 12.0));
    for (int i = 0; i < 5; ++i) data->palms[i]->energy = 0.25f;
    data->palms[0]->takeDamage(nullptr, 10.0f);
    harness->steps(5);
    ASSERT_NE(data->palms[0]->state, Palm::STATE_STANDING);
    match->waveNumber = 1;
    match->spawnWave();
    EXPECT_NE(data->palms[0]->state, Palm::STATE_STANDING);
    for (int i = 1; i < 5; ++i) EXPECT_EQ(data->palms[i]->energy, 1.0f) << i;
}

TEST_F(InvasionTest, BonusBalloonsNeverAppearBelowTheWaterLine) {
    options(2, 0, false);
    GameControllerCampaign* match = startInvasion();
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_WAVE, 12.0));
    // A camera that shows mostly sea.
    CameraStatic* low = new CameraStatic(0.0f, -200.0f, -640.0f);
    low->blendTime = 0.01;
    match->scene->getCameraBlender()->addChild(low);
    harness->steps(50);
    ASSERT_LT(match->scene->camera->getVisibleRect(0.0f).bottom, -100.0f);
    const int before = harness->liveLayers()[GameController::LAYER_BALLOONS];
    for (int i = 0; i < 40; ++i) {
        match->nextBonusAt = 0.0;
        match->bBonusHintShown = true;
        harness->step();
    }
    PlimBase* balloons = match->layer(GameController::LAYER_BALLOONS);
    EXPECT_GE(harness->liveLayers()[GameController::LAYER_BALLOONS], before + 30);
    for (BasicLink* b = balloons->firstChild; b; b = b->next) EXPECT_GE(static_cast<GameObject*>(b)->position.y, -1.0f);
}

TEST_F(InvasionTest, AfterTheLastWaveCongratulationsAndYouHaveWon) {
    options(2, 0, false);
    harness->log.lines.clear();
    GameControllerCampaign* match = startInvasion();
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_WAVE, 12.0));
    match->nextBonusAt = match->nextCrateAt = 1.0e9;
    match->waveNumber = match->waveCount;
    match->spawners->destroyChildren();
    match->layer(GameController::LAYER_ENEMIES)->destroyChildren();
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_NEXT_WAVE, 3.0));
    const double cleared = match->time;
    EXPECT_EQ(match->waveNumber, 50);
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_WON, 7.0));
    const std::vector<double> congratulations = messageTimes("congratulations!");
    const std::vector<double> won = messageTimes("you have won!");
    ASSERT_EQ(congratulations.size(), 1u);
    ASSERT_EQ(won.size(), 1u);
    EXPECT_NEAR(congratulations[0] - cleared, 1.0, 0.02);
    EXPECT_NEAR(won[0] - congratulations[0], 5.0, 0.02);
    EXPECT_TRUE(messageTimes("wave 51").empty());
    ASSERT_TRUE(runUntilState(match, GameControllerCampaign::STATE_FADE, 5.5));
    for (int i = 0; i < 400 && harness->matchOnTop(); ++i) harness->step();
    EXPECT_FALSE(harness->matchOnTop());
    EXPECT_TRUE(dynamic_cast<ContextEnding*>(harness->app->contextManager->getTop()));
}

TEST_F(InvasionTest, WavesFaceTheirSideAndTheZeppelinWidensOnlyTheInvasionCamera) {
    const int sides[10] = {-1, -1, 0, 0, 1, 1, -1, 0, 1, 0};
    for (int w = 1; w <= 40; ++w) {
        const int decade = (w - 1) / 10;
        EXPECT_EQ(GameControllerCampaign::sideOf(w), decade % 2 ? -sides[(w - 1) % 10] : sides[(w - 1) % 10]) << w;
        EXPECT_EQ(GameControllerCampaign::wideOf(w), (w - 1) % 10 >= 6 && (w - 1) % 10 <= 8) << w;
    }

    options(2, 0, false);
    GameControllerCampaign* match = startInvasion();
    harness->step();
    int before = cameras(match);
    match->focusCamera(1, true);
    ASSERT_EQ(cameras(match), before + 1);
    CameraStatic* wide = lastCamera(match);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->position, V3(400.0f, 2.0f * (240 - 57), -640.0f));
    EXPECT_EQ(wide->blendTime, 3.0);

    before = cameras(match);
    Zeppelin* zeppelin = new Zeppelin();
    match->layer(GameController::LAYER_ENEMIES)->addChild(zeppelin);
    zeppelin->onSpawn();
    ASSERT_EQ(cameras(match), before + 1);
    EXPECT_EQ(lastCamera(match)->position, V3(0.0f, 2.0f * (240 - 57), -640.0f));
    match->bDone = true;
    harness->step();

    ScriptedController* other = static_cast<ScriptedController*>(harness->start([] { return new ScriptedController(); }));
    before = cameras(other);
    Zeppelin* elsewhere = new Zeppelin();
    other->layer(GameController::LAYER_ENEMIES)->addChild(elsewhere);
    elsewhere->onSpawn();
    EXPECT_EQ(cameras(other), before);
}

TEST_F(InvasionTest, HelpPagesOpenTheMatchAndCloseOnAClick) {
    options(2, 0, true, true);
    GameControllerCampaign* match = startInvasion();
    harness->runSeconds(1.05);
    ContextGameHelp* invasion = dynamic_cast<ContextGameHelp*>(harness->app->contextManager->getTop());
    ASSERT_TRUE(invasion);
    ASSERT_TRUE(invasion->content->firstChild);
    EXPECT_EQ(static_cast<RenderableText*>(invasion->content->firstChild)->text, "invasion!");
    EXPECT_EQ(match->state, GameControllerCampaign::STATE_INTRO);
    harness->runSeconds(0.6);
    harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
    harness->scheduleMouseButton(harness->frame + 1, SDL_BUTTON_LEFT, false);
    harness->runSeconds(1.5);
    ContextGameHelp* mouse = dynamic_cast<ContextGameHelp*>(harness->app->contextManager->getTop());
    ASSERT_TRUE(mouse);
    EXPECT_NE(mouse, invasion);
    EXPECT_EQ(static_cast<RenderableText*>(mouse->content->firstChild)->text,
              "move the mouse pointer to aim your cannon");
    harness->scheduleMouseButton(harness->frame, SDL_BUTTON_LEFT, true);
    harness->scheduleMouseButton(harness->frame + 1, SDL_BUTTON_LEFT, false);
    harness->runSeconds(1.5);
    EXPECT_EQ(harness->app->contextManager->getTop(), match);
    EXPECT_TRUE(runUntilState(match, GameControllerCampaign::STATE_GET_READY, 0.5));
    options(2, 0, false);
}
