#include "GameController.h"

#include "widgets/Background.h"
#include "render/Camera.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "app/ContextManager.h"
#include "core/ErrorManager.h"
#include "widgets/MenuButton.h"
#include "core/Plim.h"
#include "audio/PlimAudio.h"
#include "input/PlimInput.h"
#include "widgets/RadialFader.h"
#include "util/Random.h"
#include "render/Renderable.h"
#include "core/ResourceManager.h"
#include "render/Skin.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "render/Texture.h"
#include "core/TimeKeeper.h"
#include "app/MyGlobal.h"
#include "ContextEnding.h"
#include "GameRecorder.h"
#include "Messenger.h"
#include "PlayerData.h"
#include "PlayerHUD.h"
#include "PlayerHUDBonus.h"
#include "modes/pages/ContextGameHelp.h"
#include "world/Cannon.h"
#include "world/Vehicle.h"
#include "world/World.h"
#include "world/effects/BonusBlaster.h"
#include "world/effects/BonusDefensive.h"
#include "world/effects/BonusLessBlaster.h"
#include "world/effects/BonusOffensive.h"
#include "world/effects/BonusSlowSpeed.h"
#include "world/effects/BonusSlowTurningRate.h"
#include "world/weapons/WeaponAutoGunCampaign.h"
#include "world/weapons/WeaponCannonBallCampaign.h"
#include "world/weapons/WeaponLaser.h"
#include "world/weapons/WeaponLightning.h"
#include "world/weapons/WeaponRocket.h"
#include "world/weapons/WeaponSwarm.h"

namespace {

const double MESSENGER_FADE = 0.25;
const int MESSENGER_Y = 100;
const double BONUS_BASE = 10.0;
const double BONUS_SPREAD[] = {60.0, 30.0, 10.0}; // rare, standard, frequent
const int ISLAND_PICTURE = 2;
const float ISLAND_TOP = 21.0f;
const float OPENING_RAISE = 171.0f;

MyGlobal* app() { return static_cast<MyGlobal*>(gGlobal); }

template <class T> T* findResource(const char* name) {
    return static_cast<T*>(PLIM->resourceManager->find(name, true));
}

void playMusic(const char* name) {
    if (PLIM->audio) PLIM->audio->playMusic(findResource<SoundStream>(name));
}

} // namespace

GameController::GameController() {
    bDeleteWhenDone = true;
    bEscapeAsksQuit = true;
    bMousePointer = false;
    if (gGlobal) bonusFrequency = gGlobal->saveData.bonusFrequency;

    background = new Background();
    scene = new ContextBlender();
    hud = new Context();
    messenger = new Messenger(gGlobal ? gGlobal->fontLarge : nullptr, UColor::WHITE, MESSENGER_Y);
    messenger->fadeTime = MESSENGER_FADE;

    scene->addChild(background);
    for (PlimBase*& layer : layers) {
        layer = new PlimBase();
        scene->addChild(layer);
    }
    for (int i = 0; i < PLAYERS; ++i) {
        playerHud[i] = new PlayerHUD(i);
        hud->addChild(playerHud[i]);
        playerData[i] = new PlayerData(i);
        scene->addChild(playerData[i]);
    }
    hud->addChild(messenger);
    addChild(scene);
    addChild(hud);
}

GameController::~GameController() {
    if (gGlobal && app()->currentController == this) app()->currentController = nullptr;
    if (GameRecorder::current) GameRecorder::current->onMatchEnd(this);
}

GameController* GameController::current() { return gGlobal ? app()->currentController : nullptr; }

PlayerData* GameController::currentPlayer(int player) {
    GameController* game = current();
    if (!game || player < 0 || player >= PLAYERS) return nullptr;
    return game->playerData[player];
}

Vehicle* GameController::currentVehicle(int player) {
    PlayerData* data = currentPlayer(player);
    return data ? data->vehicle() : nullptr;
}

void GameController::onDeactivate(bool removed) {
    if (!removed) return;
    if (app()->currentController == this) app()->currentController = nullptr;
    playMusic("musicMenu");
}

void GameController::tickContents(double time, double dt) {
    Context::tickContents(time, dt);
    if (bMatrixFight && PLIM->timeKeeper) scene->timeScale = bulletTimeScale(PLIM->timeKeeper->getTime());
    // Only the top screen ticks: the match stands still under the page.
    if (PLIM->input && PLIM->input->isKeyPressed(KEY_PAUSE)) {
        ContextGameHelp* page = new ContextGameHelp();
        page->title->caption = "the game is paused";
        gGlobal->contextManager->push(page);
    }
    bTickedSinceRender = true;
    reportState();
}

void GameController::renderContents() {
    Context::renderContents();
    if (bTickedSinceRender) {
        bTickedSinceRender = false;
        checkCollisions();
        updateRules();
    }
    reportState();
}

void GameController::reportState() {
    if (state == reportedState) return;
    reportedState = state;
    if (GameRecorder::current) GameRecorder::current->onModeState(this, state);
}

void GameController::onEnter() {
    gameSpeed = bBerserkMode ? BERSERK_SPEED : 1.0;
    scene->timeScale = gameSpeed;
    for (int i = 0; i < PLAYERS; ++i) playerData[i]->bHuman = i < 2 - computerPlayers;
    if (gGlobal->saveData.bInGameMusic)
        playMusic("musicGame");
    else if (PLIM->audio)
        PLIM->audio->stopMusic();
}

void GameController::endGame() {
    computeRating();
    for (PlayerData* data : playerData) data->rating *= RATING_KEPT;
    if (PLIM->audio) {
        PLIM->audio->stopMusic();
        PLIM->audio->stopAll();
    }
}

void GameController::endWithEndScene() {
    GameController::endGame();
    bDone = true;
    ContextEnding* ending = new ContextEnding();
    ending->gameType = gameType;
    gGlobal->contextManager->push(ending);
}

void GameController::switchWeapon(int player, int index, bool silent) {
    Vehicle* vehicle = player >= 0 && player < PLAYERS ? playerData[player]->vehicle() : nullptr;
    if (!vehicle) return;
    if (index < 0 || index >= WEAPON_COUNT)
        ErrorManager::errorAt("switchWeapon", "project_top/src/GameController", __LINE__, "Unknown weapon.");
    BasicLink::deleteIfSet(vehicle->weapon);
    vehicle->weapon = nullptr;
    Weapon* weapon = nullptr;
    switch (index) {
    case 0: weapon = new WeaponCannonBallCampaign(player); break;
    case 1: weapon = new WeaponAutoGunCampaign(player); break;
    case 2: weapon = new WeaponSwarm(player); break;
    case 3: weapon = new WeaponLaser(player); break;
    case 4: weapon = new WeaponLightning(player); break;
    default: weapon = new WeaponRocket(player); break;
    }
    vehicle->weapon = weapon;
    vehicle->blasterEnergy = vehicle->maxBlasterEnergy;
    if (silent) return;
    playerHud[player]->showCaption(weapon->name);
    findResource<Sound>(index == 0 ? "switchWeaponLower" : "switchWeapon")->playRandomPitch();
}

double GameController::nextBonusTime() {
    if (!bBonuses) return time + NEVER;
    int frequency = bonusFrequency;
    if (frequency < 0) frequency = 0;
    if (frequency > 2) frequency = 2;
    return time + BONUS_BASE + BONUS_SPREAD[frequency] * World::fraction();
}

void GameController::spawnBalloon(float x, float y, float z, double lifetime, bool burst) {
    const int kind = Random::next() % (bSabotageBonuses ? 6 : 3);
    Bonus* balloon = nullptr;
    switch (kind) {
    case 0: balloon = new BonusOffensive(x, y, z, lifetime, burst); break;
    case 1: balloon = new BonusDefensive(x, y, z, lifetime, burst); break;
    case 2: balloon = new BonusBlaster(x, y, z, lifetime, burst); break;
    case 3: balloon = new BonusLessBlaster(x, y, z, lifetime, burst); break;
    case 4: balloon = new BonusSlowTurningRate(x, y, z, lifetime, burst); break;
    default: balloon = new BonusSlowSpeed(x, y, z, lifetime, burst); break;
    }
    layers[LAYER_BALLOONS]->addChild(balloon);
    pointsTotal += balloon->points;
    if (burst) findResource<Sound>("balloonPop")->playAt(V3(x, y, z));
}

void GameController::shakeCamera(double amplitude, double duration) {
    scene->getCameraBlender()->shake(amplitude, duration);
}

double GameController::bulletTimeScale(double now) const {
    const double start = bulletTimeEnd - BULLET_TIME_RAMP;
    float f = float((now - start) / (bulletTimeEnd - start));
    if (f < 0.0f) f = 0.0f;
    if (f > 1.0f) f = 1.0f;
    const double slow = BULLET_TIME_SCALE * gameSpeed;
    return slow + (gameSpeed - slow) * f;
}

void GameController::takeMutatorOptions() {
    const SaveData& saved = gGlobal->saveData;
    bMatrixFight = saved.bMatrixFight;
    bBerserkMode = saved.bBerserkMode;
    bNoBlaster = saved.bNoBlaster;
    bBloatedProjectiles = saved.bBloatedProjectiles;
    bBouncyBombs = saved.bBouncyBombs;
    bAutocannons = saved.bAutocannons;
}

Renderable* GameController::addIsland(int player, float x, int palms, bool sharedDamage) {
    Texture* island = World::frames("island");
    Renderable* land = new Renderable();
    const V3 at(x, ISLAND_TOP - 0.5f * World::frame(island, 0)->height, 0.0f);
    land->setup(World::frame(island, ISLAND_PICTURE), &at, nullptr, nullptr);
    layers[LAYER_ISLANDS]->addChild(land);
    playerData[player]->pIsland.set(land);
    playerData[player]->createPalms(palms, sharedDamage);
    return land;
}

Cannon* GameController::addIslandCannon(int player, Weapon* weapon) {
    Cannon* cannon = new Cannon(player);
    cannon->position = V3((CANNON_SPACING * playerCount - CANNON_SPACING) * float(2 * player - 1), 0.0f, 0.0f);
    cannon->updateVisuals();
    cannon->weapon = weapon;
    cannon->bMouseControl = player == 0 && gGlobal->saveData.bUseMouse;
    layers[LAYER_CANNONS]->addChild(cannon);
    playerData[player]->pVehicle.set(cannon);
    return cannon;
}

void GameController::placeOpeningView() {
    scene->getCameraBlender()->setPosition(0.0f, float(3 * (Camera::fovHeight() / 2)) - OPENING_RAISE,
                                           -1.5f * float(Camera::fovWidth()), false);
}

void GameController::fadeIn() {
    if (RadialFader* fader = gGlobal->contextManager->fader) {
        fader->value = fader->target = 1.0f;
        fader->target = 0.0f;
    }
}

void GameController::fadeTo(float target) {
    if (RadialFader* fader = gGlobal->contextManager->fader) fader->target = target;
}

void GameController::fadeOutTo(int next, double seconds) {
    fadeTo(1.0f);
    setState(next, seconds);
}

void GameController::runClosingStates(int fadeState, int endState, double fadeTime) {
    if (state == fadeState)
        fadeOutTo(endState, fadeTime);
    else if (state == endState)
        endGame();
}
