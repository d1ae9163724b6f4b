#include "GameControllerCampaign.h"

#include "CollisionPass.h"
#include "render/Camera.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/ContextManager.h"
#include "app/Global.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "util/PlimUtil.h"
#include "util/Random.h"
#include "RenderableText.h"
#include "render/Skin.h"
#include "render/Texture.h"
#include "app/MyGlobal.h"
#include "InvasionWave.h"
#include "Messenger.h"
#include "PlayerData.h"
#include "PlayerHUD.h"
#include "modes/pages/ContextGameHelp.h"
#include "world/CameraStatic.h"
#include "world/Cannon.h"
#include "world/Palm.h"
#include "world/World.h"
#include "world/enemies/Crate.h"
#include "world/enemies/EnemySpawner.h"
#include "world/weapons/Weapon.h"
#include "world/weapons/WeaponCannonBallCampaign.h"

#include <algorithm>

namespace {

const UColor PLAYER_COLOURS[GameController::PLAYERS] = {UColor(0, 0, 255, 255), UColor(255, 0, 0, 255)};
const double CRATE_BASE = 30.0;
const double CRATE_SPREAD = 30.0;
const double STATE_AT_ONCE = 0.001;
const double GET_READY_TIME = 5.0;
const double WAVE_MESSAGE_TIME = 3.0;
const double ENDING_MESSAGE_TIME = 5.0;
const double FADE_TIME = 3.0;
const double FOCUS_BLEND = 3.0;
const double GET_READY_BLEND = 5.0;
const float FOCUS_STEP_X = 200.0f;
const float VIEW_RAISE = 57.0f;
const int CRATE_KINDS = 5;
const int MOUSE_PRINT_FLAGS = 0;

int halfHeight() { return Camera::fovHeight() / 2; }

using CollisionPass::collideLayers;

bool standing(GameObject* palm) { return palm->state == Palm::STATE_STANDING; }


} // namespace

GameControllerCampaign::GameControllerCampaign() {
    takeMutatorOptions();
    const SaveData& saved = gGlobal->saveData;
    playerCount = saved.players != 0 ? 2 : 1;
    gameType = GAMETYPE_INVASION;
    difficulty = saved.difficulty;
    palmCount = 5 - difficulty;
    bSabotageBonuses = false;
    bLimitBombRange = false;
    for (int i = 0; i < PLAYERS; ++i) playerData[i]->color = PLAYER_COLOURS[i];

    spawners = new PlimBase();
    scene->addChildFirst(spawners);
    nextBonusAt = nextBonusTime();
    bonusFrequency = 1;
    nextCrateAt = nextCrateTime();
}

GameControllerCampaign::~GameControllerCampaign() {}

double GameControllerCampaign::nextCrateTime() const {
    return time + (CRATE_BASE + CRATE_SPREAD * World::fraction()) / playerCount;
}

bool GameControllerCampaign::helpOn() const { return gGlobal->saveData.bInGameHelp != 0; }

void GameControllerCampaign::onEnter() {
    GameController::onEnter();
    addIsland(0, 0.0f, palmCount, true);
    for (int i = 0; i < playerCount; ++i)
        addIslandCannon(i, new WeaponCannonBallCampaign(i))->blasterRegeneration = 0.0f;
    placeOpeningView();
    fadeIn();
    setState(STATE_INTRO, 1.0);
}

void GameControllerCampaign::endGame() { endWithEndScene(); }

void GameControllerCampaign::onStateChange() {
    switch (state) {
    case STATE_INTRO:
        if (helpOn()) {
            if (gGlobal->saveData.bUseMouse) pushPage(PAGE_MOUSE);
            pushPage(PAGE_INVASION);
        }
        setState(STATE_GET_READY, STATE_AT_ONCE);
        break;
    case STATE_GET_READY: {
        messenger->setMessage("get ready!", MESSAGE_TIME);
        CameraStatic* camera = new CameraStatic(0.0f, float(halfHeight()) - VIEW_RAISE, -0.5f * float(Camera::fovWidth()));
        camera->blendTime = GET_READY_BLEND;
        scene->getCameraBlender()->addChild(camera);
        setState(STATE_NEXT_WAVE, GET_READY_TIME);
        break;
    }
    case STATE_NEXT_WAVE:
        if (waveNumber < waveCount) {
            ++waveNumber;
            messenger->setMessage(formatString("wave %d", waveNumber), MESSAGE_TIME);
            for (int i = 0; i < playerCount; ++i) playerHud[i]->bHidden = false;
            layers[LAYER_ENEMIES]->destroyChildren();
            spawners->destroyChildren();
            // The last wave's objects are gone: its peak need not stay resident.
            releaseFreeMemory();
            spawnWave();
            setState(STATE_WAVE, WAVE_MESSAGE_TIME);
        } else {
            setState(STATE_CONGRATULATIONS, WON_DELAY);
        }
        break;
    case STATE_CONGRATULATIONS:
        messenger->setMessage("congratulations!", MESSAGE_TIME);
        setState(STATE_WON, ENDING_MESSAGE_TIME);
        break;
    case STATE_WON:
        messenger->setMessage("you have won!", MESSAGE_TIME);
        setState(STATE_FADE, ENDING_MESSAGE_TIME);
        break;
    case STATE_GAME_OVER:
        messenger->setMessage("game over!", MESSAGE_TIME);
        setState(STATE_FADE, ENDING_MESSAGE_TIME);
        break;
    default:
        runClosingStates(STATE_FADE, STATE_END, FADE_TIME);
        break;
    }
}

void GameControllerCampaign::updateRules() {
    if (state == STATE_WAVE && time > nextBonusAt) spawnBonus();
    if (state == STATE_WAVE && time > nextCrateAt) spawnCrate();

    PlayerData* defender = playerData[0];
    if (helpOn() && !bTreeHintShown && defender->numPalmsStanding != defender->numPalms) {
        bTreeHintShown = true;
        pushPage(PAGE_TREE);
    }

    if (state == STATE_WAVE) {
        if (defender->numPalmsStanding == 0)
            setState(STATE_GAME_OVER, GAME_OVER_DELAY);
        else if (!spawners->firstChild && !layers[LAYER_ENEMIES]->firstChild)
            setState(STATE_NEXT_WAVE, WAVE_END_DELAY);
    }

    for (int i = 0; i < playerCount; ++i) {
        Vehicle* vehicle = playerData[i]->vehicle();
        if (!vehicle || !vehicle->weapon || !vehicle->weapon->bOutOfEnergy) continue;
        switchWeapon(i, 0, false);
        if (helpOn() && !bEnergyHintShown) {
            bEnergyHintShown = true;
            pushPage(PAGE_ENERGY);
        }
    }
}

void GameControllerCampaign::spawnBonus() {
    nextBonusAt = nextBonusTime();
    Rect view = scene->camera->getVisibleRect(0.0f);
    if (view.bottom < 0.0f) view.bottom = 0.0f;
    const double ry = World::fraction();
    const double rx = World::fraction();
    const float x = view.left + (view.right - view.left) * float(rx);
    const float y = view.bottom + (view.top - view.bottom) * float(ry);
    spawnBalloon(x, y, 0.0f, BALLOON_LIFETIME, true);
    if (helpOn() && !bBonusHintShown) {
        bBonusHintShown = true;
        pushPage(PAGE_BONUS);
    }
}

void GameControllerCampaign::spawnCrate() {
    nextCrateAt = nextCrateTime();
    Crate* crate = new Crate(int(Random::next() % CRATE_KINDS) + 1);
    crate->onSpawn();
    layers[LAYER_ENEMIES]->addChild(crate);
    pointsTotal += crate->points;
    if (helpOn() && !bWeaponHintShown) {
        bWeaponHintShown = true;
        pushPage(PAGE_WEAPONS);
    }
}

void GameControllerCampaign::checkCollisions() {
    const auto always = [](GameObject*, GameObject*) { return true; };
    collideLayers(layers[LAYER_ENEMY_PROJECTILES], layers[LAYER_PALMS],
                  [](GameObject*, GameObject* palm) { return standing(palm); });
    collideLayers(layers[LAYER_ENEMIES], layers[LAYER_PALMS], [](GameObject* enemy, GameObject* palm) {
        return static_cast<Enemy*>(enemy)->bHitsPalms && standing(palm);
    });
    collideLayers(layers[LAYER_SHOTS], layers[LAYER_ENEMIES], always);
    collideLayers(layers[LAYER_SHOTS], layers[LAYER_ENEMY_PROJECTILES], always);
    collideLayers(layers[LAYER_BALLOONS], layers[LAYER_SHOTS], always);
}

float GameControllerCampaign::ratingOf(int score, int pointsTotal, int difficulty, int wave, int waveCount) {
    const float a = float(difficulty * 0.1 + 0.6);
    const double b = double(float(wave) / float(waveCount)) * 0.8 + 0.2;
    const float ab = float(a * b);
    return std::min(1.0f, float(double(score) / double(pointsTotal)) * ab);
}

void GameControllerCampaign::computeRating() {
    winner = playerCount == 2 && playerData[1]->score > playerData[0]->score ? 1 : 0;
    playerData[winner]->rating = ratingOf(playerData[winner]->score, pointsTotal, difficulty, waveNumber, waveCount);
}

int GameControllerCampaign::sideOf(int wave) {
    const int w = wave - 1;
    const int m = w % 10;
    int side = 0;
    if (m == 0 || m == 1 || m == 6) side = -1;
    if (m == 4 || m == 5 || m == 8) side = 1;
    return (w / 10) % 2 == 1 ? -side : side;
}

bool GameControllerCampaign::wideOf(int wave) {
    const int m = (wave - 1) % 10;
    return m >= 6 && m <= 8;
}

void GameControllerCampaign::focusCamera(int side, bool wide) {
    const float k = wide ? 2.0f : 1.0f;
    CameraStatic* camera = new CameraStatic(k * float(side) * FOCUS_STEP_X, k * (float(halfHeight()) - VIEW_RAISE),
                                            -k * float(Camera::fovWidth()) * 0.5f);
    camera->blendTime = FOCUS_BLEND;
    scene->getCameraBlender()->addChild(camera);
}

void GameControllerCampaign::spawnWave() {
    for (int i = 0; i < playerCount; ++i)
        if (Vehicle* vehicle = playerData[i]->vehicle()) vehicle->resetBonuses();
    PlayerData* defender = playerData[0];
    for (int i = 0; i < defender->numPalms; ++i) {
        GameObject* palm = defender->palms[i].get();
        if (palm && standing(palm)) palm->energy = 1.0f;
    }
    focusCamera(sideOf(waveNumber), wideOf(waveNumber));
    const float d = float(waveNumber) / float(waveCount);
    for (const InvasionWave& row : InvasionWave::rowsOf(waveNumber))
        spawners->addChild(new EnemySpawner(row.type, row.start, row.end, row.groups, row.perGroup, row.evenly, d,
                                            int32_t(row.tint)));
}

void GameControllerCampaign::pushPage(Page page) { gGlobal->contextManager->push(createPage(page)); }

ContextGameHelp* GameControllerCampaign::createPage(Page page) {
    ContextGameHelp* help = new ContextGameHelp();
    PlimBase* c = help->content;
    FontQuad* small = gGlobal->fontSmall;
    FontQuad* medium = gGlobal->fontMedium;
    FontQuad* large = gGlobal->fontLarge;
    switch (page) {
    case PAGE_MOUSE:
        ContextGameHelp::addText(c, -30.0f, 50.0f, "move the mouse pointer to aim your cannon", small, MOUSE_PRINT_FLAGS);
        ContextGameHelp::addMousePicture(c, -100.0f, 50.0f, 2);
        ContextGameHelp::addMousePicture(c, -100.0f, 50.0f, 0);
        ContextGameHelp::addText(c, -30.0f, -50.0f, "click to fire", small, MOUSE_PRINT_FLAGS);
        ContextGameHelp::addMousePicture(c, -100.0f, -50.0f, 0);
        ContextGameHelp::addMousePicture(c, -100.0f, -50.0f, 1);
        break;
    case PAGE_INVASION:
        ContextGameHelp::addText(c, 0.0f, 100.0f, "invasion!", large);
        ContextGameHelp::addText(c, 0.0f, 30.0f, "defend your island", medium);
        ContextGameHelp::addText(c, 0.0f, 0.0f, "against the enemy invasion!", medium);
        ContextGameHelp::addText(c, 0.0f, -30.0f, "protect your trees at any cost!", medium);
        break;
    case PAGE_TREE:
        ContextGameHelp::addText(c, 0.0f, 100.0f, "tree destroyed!", large);
        ContextGameHelp::addText(c, 0.0f, 30.0f, "one of your trees has been hit.", medium);
        ContextGameHelp::addText(c, 0.0f, 0.0f, "when they are all destroyed", medium);
        ContextGameHelp::addText(c, 0.0f, -30.0f, "the game will be over!", medium);
        break;
    case PAGE_ENERGY:
        ContextGameHelp::addText(c, 0.0f, 100.0f, "out of energy!", large);
        ContextGameHelp::addText(c, 0.0f, 30.0f, "the lightning icon at the top", medium);
        ContextGameHelp::addText(c, 0.0f, 0.0f, "shows your weapon's remaining energy.", medium);
        ContextGameHelp::addText(c, 0.0f, -30.0f, "if energy runs out, your weapon is lost!", medium);
        break;
    case PAGE_WEAPONS:
        ContextGameHelp::addText(c, 0.0f, 100.0f, "weapons", large);
        ContextGameHelp::addText(c, 0.0f, 30.0f, "a weapon crate will now drop down.", medium);
        ContextGameHelp::addText(c, 0.0f, 0.0f, "shoot it to upgrade your weapon.", medium);
        ContextGameHelp::addText(c, 0.0f, -40.0f, "some weapons are automatic, just press and hold the fire button!", small);
        break;
    case PAGE_BONUS:
        ContextGameHelp::addText(c, 0.0f, 100.0f, "a bonus has appeared!", large);
        ContextGameHelp::addText(c, 0.0f, 30.0f, "shoot the bonus balloon to collect it.", medium);
        ContextGameHelp::addText(c, 0.0f, 0.0f, "bonuses boost your offense or defense,", medium);
        ContextGameHelp::addText(c, 0.0f, -30.0f, "but only last for a limited time!", medium);
        break;
    }
    return help;
}
