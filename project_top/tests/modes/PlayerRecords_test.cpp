// Player records, head-up displays and vehicle controls in a real match:
// scores and palms, the sliding display with its rolling score, popups and
// tray, the key sets and the mouse, the blaster and the aim solver.
#include "core/Context.h"
#include "ContextBlender.h"
#include "FontQuad.h"
#include "app/Formatters.h"
#include "app/Global.h"
#include "LayoutRects.h"
#include "MatchFixture.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "render/Quad.h"
#include "util/Random.h"
#include "core/ResourceManager.h"
#include "app/MyGlobal.h"
#include "modes/PlayerHUD.h"
#include "modes/PlayerHUDBonus.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>
#include <vector>

namespace {

using PlayerRecordsTest = MatchTest;

class PalmWatcher : public GameController {
public:
    void onAllPalmsDead(int player) override { dead.push_back(player); }
    std::vector<int> dead;
};

TEST_F(PlayerRecordsTest, ScoreNeverGoesBelowZero) {
    GameController* match = start();
    PlayerData* p = match->playerData[0];
    EXPECT_EQ(p->color, UColor(255, 255, 255, 255));
    EXPECT_EQ(p->randomAlivePalm(), nullptr);
    p->addScore(300);
    p->addScore(-500);
    EXPECT_EQ(p->score, 0);
    p->addScore(40);
    p->addScore(0);
    EXPECT_EQ(p->score, 40);
}

TEST_F(PlayerRecordsTest, PalmsAreSortedHighestFirstAndCounted) {
    PalmWatcher* match = start<PalmWatcher>();
    PlayerData* p = match->playerData[1];
    p->createPalms(4, true);
    ASSERT_EQ(p->numPalms, 4);
    EXPECT_EQ(p->numPalmsStanding, 4);
    PlimBase* layer = match->layer(GameController::LAYER_PALMS);
    BasicLink* child = layer->firstChild;
    for (int i = 0; i < 4; ++i, child = child->next) {
        if (i > 0) {
            EXPECT_GE(p->palms[i - 1]->position.y, p->palms[i]->position.y);
        }
        EXPECT_EQ(child, p->palms[i].get());
        EXPECT_TRUE(p->palms[i]->bSharedDamage);
        EXPECT_EQ(p->palms[i]->state, PlayerData::PALM_STANDING);
    }

    // The second palm down: only the others are picked, about half each.
    p->palms[1]->setStateRaw(3);
    p->onPalmLost();
    p->palms[3]->setStateRaw(3);
    p->onPalmLost();
    Random::seed(7);
    int first = 0, third = 0;
    for (int i = 0; i < 1000; ++i) {
        GameObject* palm = p->randomAlivePalm();
        first += palm == p->palms[0].get();
        third += palm == p->palms[2].get();
    }
    EXPECT_EQ(first + third, 1000);
    EXPECT_NEAR(first, 500, 60);
    p->palms[0]->setStateRaw(3);
    p->onPalmLost();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(p->randomAlivePalm(), p->palms[2].get());
    EXPECT_TRUE(match->dead.empty());
    p->palms[2]->setStateRaw(3);
    p->onPalmLost();
    p->onPalmLost(); // a late report changes nothing
    EXPECT_EQ(match->dead, std::vector<int>({1}));
    EXPECT_EQ(p->numPalmsStanding, 0);
    EXPECT_EQ(p->randomAlivePalm(), p->palms[0].get());

    // A palm that is deleted leaves an empty slot, not a dangling one.
    p->palms[3]->bDestroyPending = true;
    harness->step();
    EXPECT_EQ(p->palms[3].get(), nullptr);

    PlayerData* other = match->playerData[0];
    other->createPalms(0, false);
    EXPECT_EQ(other->numPalms, 0);
    EXPECT_EQ(other->palms[0].get(), nullptr);
    other->createPalms(150, false);
    EXPECT_EQ(other->numPalms, PlayerData::MAX_PALMS);
    other->createPalms(-3, false);
    EXPECT_EQ(other->numPalms, 0);
}

TEST_F(PlayerRecordsTest, DisplaySlidesInAndRollsTheScore) {
    GameController* match = start();
    harness->step();
    PlayerHUD* left = match->playerHud[0];
    PlayerHUD* right = match->playerHud[1];
    EXPECT_FLOAT_EQ(left->position.x, -448.0f);
    EXPECT_FLOAT_EQ(right->position.x, 448.0f);
    EXPECT_FLOAT_EQ(left->position.y, 240.0f);
    EXPECT_FLOAT_EQ(right->rotation.y, PI);
    left->bHidden = false;
    for (int i = 0; i < 50; ++i) left->tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(left->position.x, -448.0f + 224.0f * 0.75f);
    for (int i = 0; i < 60; ++i) left->tick(0.0, 0.01);
    EXPECT_FLOAT_EQ(left->position.x, -224.0f);

    match->playerData[0]->score = 1000;
    left->tick(0.0, 0.0);
    EXPECT_EQ(left->displayedScore, 0);
    left->tick(0.0, 0.25);
    EXPECT_EQ(left->displayedScore, 750);
    left->tick(0.0, 0.25);
    EXPECT_EQ(left->displayedScore, 1000);
    match->playerData[0]->score = 2000;
    left->tick(0.0, 0.25);
    match->playerData[0]->score = 0; // changed during the roll: starts from the number shown
    left->tick(0.0, 0.0);
    EXPECT_EQ(left->scoreFrom, 1000);
    left->tick(0.0, 0.5);
    EXPECT_EQ(left->displayedScore, 0);
}

TEST_F(PlayerRecordsTest, PopupsStackFiveAndExpireAfterFourSeconds) {
    GameController* match = start();
    PlayerHUD* right = match->playerHud[1];
    std::vector<PlayerHUDBonus*> popups;
    for (int i = 0; i < 6; ++i) {
        popups.push_back(new PlayerHUDBonus(1, "laser", "", i == 0 ? 250 : 0));
        right->addChild(popups.back());
    }
    EXPECT_EQ(match->playerData[1]->score, 250);
    EXPECT_EQ(popups[0]->detail, Formatters::formatGroupedInteger(250));
    EXPECT_TRUE(popups[1]->detail.isEmpty());
    right->tick(0.0, 0.01);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(popups[i]->target.y, right->position.y - 42.0f - 20.0f * float(i)) << i;
        EXPECT_FLOAT_EQ(popups[i]->target.x, right->position.x + 64.0f);
    }
    EXPECT_FLOAT_EQ(popups[0]->position.x, popups[0]->target.x + 192.0f * (1.0f - 0.0199f)); // from the right
    EXPECT_FLOAT_EQ(popups[5]->position.y, -10000.0f); // waits unticked
    for (int i = 0; i < 388; ++i) right->tick(0.0, 0.01);
    EXPECT_EQ(right->getNumChildren(), 6u); // 3.89 s
    for (int i = 0; i < 20; ++i) right->tick(0.0, 0.01);
    EXPECT_EQ(right->getNumChildren(), 5u); // 4.09 s
    EXPECT_EQ(right->firstChild, popups[1]);
    EXPECT_NE(popups[5]->position.y, -10000.0f);
}

TEST_F(PlayerRecordsTest, ACaptionShownTwiceIsOneTabThatHoldsItsWholeText) {
    GameController* match = start();
    PlayerHUD* left = match->playerHud[0];
    left->showCaption("double damage!");
    left->showCaption("sabotage: turning rate halved!");
    left->showCaption("double damage!");
    ASSERT_EQ(left->getNumChildren(), 2u);
    harness->steps(120); // slid in and drawn
    // Each tab reaches 24 units (its star) past the end of its caption, which
    // starts 28 units inside the tab's centre as the 128-unit picture has it.
    for (BasicLink* l = left->firstChild; l; l = l->next) {
        PlayerHUDBonus* popup = static_cast<PlayerHUDBonus*>(static_cast<PlimBase*>(l));
        const float text = float(gGlobal->fontSmall->getTextWidth(popup->caption, nullptr).width);
        EXPECT_GE(popup->pSkin->width, 64.0f - 28.0f + text + 24.0f - 0.5f) << popup->caption.c_str();
        EXPECT_GE(popup->pSkin->width, 128.0f);
    }
    // Once the first has expired, the same caption shows again.
    harness->runSeconds(PlayerHUD::POPUP_SECONDS + 1.5);
    left->showCaption("double damage!");
    EXPECT_EQ(left->getNumChildren(), 2u);
}

TEST_F(PlayerRecordsTest, TrayIsSizedForAtMostEightIcons) {
    EXPECT_EQ(PlayerHUD::trayWidth(0), 0.0f);
    EXPECT_EQ(PlayerHUD::trayWidth(1), 48.0f);
    EXPECT_EQ(PlayerHUD::trayWidth(10), 216.0f);
    GameController* match = start();
    Vehicle* v = giveVehicle(match, 0);
    Skin* icon = static_cast<Skin*>(PLIM->resourceManager->find("ovalButtons:4", true));
    for (int i = 0; i < 10; ++i) {
        Renderable* marker = new Renderable();
        marker->pSkin = icon;
        v->bonusMarkers.addChild(marker);
    }
    harness->step();
    PlayerHUD* left = match->playerHud[0];
    EXPECT_EQ(left->trayCount, 8);
    EXPECT_EQ(left->trayTo, 216.0f);
    Renderable* tenth = static_cast<Renderable*>(v->bonusMarkers.lastChild);
    EXPECT_FLOAT_EQ(tenth->position.y, -224.0f);
    harness->runSeconds(1.0);
    EXPECT_FLOAT_EQ(left->trayOffset, 216.0f);
    v->resetBonuses();
    harness->step();
    EXPECT_EQ(left->trayCount, 0);
    EXPECT_EQ(left->trayTo, 0.0f);
}

// Both displays in, a full tray on the left and one icon on the right, and
// popups with a short and a long caption: every icon lies inside its tray's
// picture (clear of the rounded inner end), every tab inside the window.
TEST_F(PlayerRecordsTest, TrayIconsStayInTheTrayAndTabsKeepClearOfTheWindowEdges) {
    GameController* match = start();
    for (int p = 0; p < 2; ++p) {
        Vehicle* v = giveVehicle(match, p);
        for (int i = 0; i < (p == 0 ? PlayerHUD::TRAY_ICONS : 1); ++i) {
            Renderable* marker = new Renderable();
            marker->setup(World::frame(World::frames("hud-bonusicons"), i % 6), nullptr, nullptr, nullptr);
            v->bonusMarkers.addChild(marker);
        }
        match->playerHud[p]->bHidden = false;
        match->playerHud[p]->showCaption("laser");
        match->playerHud[p]->showCaption("sabotage: turning rate halved!");
    }
    harness->runSeconds(2.0); // slid in, the trays grown
    const float CORNER = 8.0f; // the rim and the rounding of the tray's ends
    for (int p = 0; p < 2; ++p) {
        PlayerHUD* hud = match->playerHud[p];
        const Rect tray = hud->trayRect();
        int icons = 0;
        for (BasicLink* l = GameController::currentVehicle(p)->bonusMarkers.firstChild; l; l = l->next, ++icons) {
            const Rect icon = LayoutRects::drawn(static_cast<Renderable*>(static_cast<PlimBase*>(l)));
            EXPECT_GE(icon.left, tray.left + CORNER) << "player " << p << " icon " << icons;
            EXPECT_LE(icon.right, tray.right - CORNER) << "player " << p << " icon " << icons;
            EXPECT_LE(icon.top, tray.top - 4.0f);
            for (const auto& [w, h] : LayoutRects::windowSizes()) EXPECT_GE(LayoutRects::roomToEdges(icon, w, h), 1.0f);
        }
        EXPECT_EQ(icons, p == 0 ? PlayerHUD::TRAY_ICONS : 1);
        int tabs = 0;
        for (BasicLink* l = hud->firstChild; l; l = l->next, ++tabs) {
            const Rect tab = static_cast<PlayerHUDBonus*>(static_cast<PlimBase*>(l))->tabRect();
            for (const auto& [w, h] : LayoutRects::windowSizes())
                EXPECT_GE(LayoutRects::roomToEdges(tab, w, h), 1.0f) << "player " << p << " tab " << tabs << " at " << w << "x" << h;
        }
        EXPECT_EQ(tabs, 2);
    }
}

TEST_F(PlayerRecordsTest, BarsShowTheBonusesInForce) {
    GameController* match = start();
    Vehicle* mine = giveVehicle(match, 0);
    Vehicle* theirs = giveVehicle(match, 1);
    const UColor green(0, 255, 0, 255), yellow(255, 255, 0, 255), red(255, 0, 0, 255);
    EXPECT_EQ(PlayerHUD::healthStatus(mine, theirs), green);
    EXPECT_EQ(PlayerHUD::healthStatus(mine, nullptr), green);
    theirs->damageDealtFactor = 2.0f;
    EXPECT_EQ(PlayerHUD::healthStatus(mine, theirs), red);
    mine->damageTakenFactor = 0.5f; // the own protection shows first
    EXPECT_EQ(PlayerHUD::healthStatus(mine, theirs), yellow);
    EXPECT_EQ(PlayerHUD::blasterStatus(mine), green);
    mine->maxBlasterEnergy = 2.0f;
    EXPECT_EQ(PlayerHUD::blasterStatus(mine), yellow);
    mine->maxBlasterEnergy = 0.5f;
    EXPECT_EQ(PlayerHUD::blasterStatus(mine), red);
    harness->step(); // the bars draw with any fractions
}

TEST_F(PlayerRecordsTest, ProgressBarsCutTheLeftOfTheirPicture) {
    start();
    Quad* source = static_cast<Quad*>(PLIM->resourceManager->find("hud-energybar:1", true));
    Quad bar;
    MyGlobal::setProgressSkin(&bar, source, 0.5f);
    EXPECT_EQ(bar.pTexture, source->pTexture);
    EXPECT_FLOAT_EQ(bar.uvRect.left, source->uvRect.left);
    EXPECT_FLOAT_EQ(bar.uvRect.right, (source->uvRect.left + source->uvRect.right) / 2.0f);
    EXPECT_FLOAT_EQ(bar.uvRect.top, source->uvRect.top);
    EXPECT_FLOAT_EQ(bar.width, source->width / 2.0f);
    EXPECT_FLOAT_EQ(bar.origin.x, -bar.width / 2.0f);
    EXPECT_FLOAT_EQ(bar.origin.y, 0.0f);
}

TEST_F(PlayerRecordsTest, BlasterPaysShotsAndBonusesReset) {
    GameController* match = start();
    Vehicle* v = giveVehicle(match, 0);
    EXPECT_EQ(v->energy, 1.0f);
    v->blasterEnergy = 0.5f;
    EXPECT_TRUE(v->useEnergy(0.5f));
    EXPECT_EQ(v->blasterEnergy, 0.0f);
    EXPECT_FALSE(v->useEnergy(0.1f));
    v->tick(0.0, 2.0);
    EXPECT_FLOAT_EQ(v->blasterEnergy, 0.5f);
    v->tick(0.0, 10.0);
    EXPECT_EQ(v->blasterEnergy, 1.0f);
    match->bNoBlaster = true;
    v->blasterEnergy = 0.5f;
    EXPECT_TRUE(v->useEnergy(0.2f));
    EXPECT_EQ(v->blasterEnergy, 0.5f);
    v->blasterEnergy = 0.1f;
    EXPECT_FALSE(v->useEnergy(0.2f));

    v->maxBlasterEnergy = v->blasterEnergy = 2.0f;
    v->damageDealtFactor = 2.0f;
    v->damageTakenFactor = 0.5f;
    v->turnRate = 1.0f;
    v->bonusMarkers.addChild(new Renderable());
    v->resetBonuses();
    EXPECT_EQ(v->maxBlasterEnergy, 1.0f);
    EXPECT_EQ(v->blasterEnergy, 1.0f);
    EXPECT_EQ(v->damageDealtFactor, 1.0f);
    EXPECT_EQ(v->damageTakenFactor, 1.0f);
    EXPECT_EQ(v->turnRate, 1.0f);
    EXPECT_EQ(v->bonusMarkers.getNumChildren(), 0u);
    v->blasterEnergy = 0.4f;
    v->resetBonuses();
    EXPECT_EQ(v->blasterEnergy, 0.4f);
}

TEST_F(PlayerRecordsTest, KeySetsSwapOnlyForTwoHumans) {
    GameController* duel = start();
    Vehicle* first = giveVehicle(duel, 0);
    Vehicle* second = giveVehicle(duel, 1);
    EXPECT_EQ(first->keySet(), 1);
    EXPECT_EQ(second->keySet(), 0);

    // Keys of set 1 steer player 0 of the duel; fire counts as pressed once.
    PlimInput* input = PLIM->input;
    const SaveData& saved = harness->app->saveData;
    const int fire = saved.keys[Vehicle::ACTION_FIRE][1];
    const int left = saved.keys[Vehicle::ACTION_TURN_LEFT][1];
    input->keysNow[fire] = input->keysNow[left] = 1;
    input->keysPrevious[fire] = 0;
    first->readControls();
    EXPECT_TRUE(first->bTurnLeft && first->bFirePressed && first->bFireHeld);
    EXPECT_FALSE(first->bTurnRight || first->bIncrease || first->bDecrease);
    input->keysPrevious[fire] = 1;
    first->readControls();
    EXPECT_FALSE(first->bFirePressed);
    EXPECT_TRUE(first->bFireHeld);
    first->clearInput();
    first->bControlsEnabled = false;
    first->readControls();
    EXPECT_FALSE(first->bTurnLeft || first->bFireHeld);
    input->keysNow[fire] = input->keysNow[left] = input->keysPrevious[fire] = 0;

    GameController* solo = start<GameController>([](GameController& g) { g.computerPlayers = 1; });
    EXPECT_EQ(giveVehicle(solo, 0)->keySet(), 0);
}

TEST_F(PlayerRecordsTest, MouseAimsTheArcAndSetsTheSpeed) {
    GameController* match = start();
    Vehicle* cannon = giveVehicle(match, 0);
    cannon->bMouseControl = true;
    cannon->minHeading = 0.2f;
    cannon->maxHeading = 2.9f;
    cannon->heading = 1.5f;
    cannon->position = V3(-400.0f, 0.0f, 0.0f);
    Context* scene = match->scene;
    Context* previous = PLIM->currentContext;
    PLIM->currentContext = scene;
    PlimInput* input = PLIM->input;

    scene->mouseWorld = V3(-500.0f, -100.0f, 0.0f);
    cannon->readControls();
    EXPECT_FLOAT_EQ(cannon->mouseHeading, 2.9f);
    EXPECT_TRUE(cannon->bTurnLeft);
    scene->mouseWorld = V3(-300.0f, -100.0f, 0.0f);
    cannon->readControls();
    EXPECT_FLOAT_EQ(cannon->mouseHeading, 0.2f);
    EXPECT_TRUE(cannon->bTurnRight);

    cannon->minSpeed = 100.0f;
    cannon->maxSpeed = 300.0f;
    cannon->speed = cannon->mouseTargetSpeed = 100.0f;
    input->mouseDelta[2] = 120.0f;
    cannon->readControls();
    EXPECT_FLOAT_EQ(cannon->mouseTargetSpeed, 125.0f);
    EXPECT_TRUE(cannon->bIncrease);
    input->mouseDelta[2] = -120.0f;
    for (int i = 0; i < 3; ++i) cannon->readControls();
    EXPECT_FLOAT_EQ(cannon->mouseTargetSpeed, 100.0f);
    EXPECT_FALSE(cannon->bIncrease || cannon->bDecrease);
    input->mouseDelta[2] = 0.0f;

    input->buttonsNow[1] = 1;
    cannon->readControls();
    EXPECT_TRUE(cannon->bFirePressed && cannon->bFireHeld);
    input->buttonsNow[1] = 0;
    PLIM->currentContext = previous;
}

TEST_F(PlayerRecordsTest, AimSolverLeadsAFallingShell) {
    GameController* match = start();
    Vehicle* gun = giveVehicle(match, 0);
    gun->speed = 500.0f;
    GameObject target(1);
    target.position = V3(400.0f, 0.0f, 0.0f);
    target.velocity = V3(-30.0f, 40.0f, 0.0f);
    const float remaining = gun->aimAt(&target, true, 0.0f, -128.0f, 0.0f);
    EXPECT_TRUE(gun->bTurnLeft);
    EXPECT_FALSE(gun->bTurnRight);
    const float angle = gun->heading + remaining;
    float closest = 1e9f;
    for (int i = 0; i < 20000; ++i) {
        const float t = float(i) * 0.0001f;
        const V3 shell(500.0f * std::cos(angle) * t, 500.0f * std::sin(angle) * t - 64.0f * t * t, 0.0f);
        const V3 d = shell - (target.position + target.velocity * t);
        closest = std::min(closest, std::sqrt(d.x * d.x + d.y * d.y));
    }
    EXPECT_LT(closest, 6.0f);

    // A straight shot at a target straight above needs no lead to turn left.
    target.position = V3(0.0f, 300.0f, 0.0f);
    EXPECT_NEAR(gun->aimAt(&target, false, 0.0f, 0.0f, 0.0f), HALF_PI, 1e-6f);
}

} // namespace
