#include "GameController.h"

#include "Background.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "ErrorManager.h"
#include "Plim.h"
#include "PlimAudio.h"
#include "Random.h"
#include "ResourceManager.h"
#include "Sound.h"
#include "SoundStream.h"
#include "TimeKeeper.h"
#include "app/MyGlobal.h"
#include "modes/GameRecorder.h"
#include "modes/Messenger.h"
#include "modes/PlayerData.h"
#include "modes/PlayerHUD.h"
#include "world/Vehicle.h"

namespace {

const double MESSENGER_FADE = 0.25;
const int MESSENGER_Y = 100;
const double BONUS_BASE = 10.0;
const double BONUS_SPREAD[] = {60.0, 30.0, 10.0}; // rare, standard, frequent

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
    messenger = new Messenger(gGlobal ? gGlobal->fontLarge : nullptr, UColor(255, 255, 255, 255), MESSENGER_Y);
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
    // The Pause key's page comes with the game's help pages; until then the
    // key does nothing.
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

void GameController::switchWeapon(int player, int index, bool silent) {
    Vehicle* vehicle = player >= 0 && player < PLAYERS ? playerData[player]->vehicle() : nullptr;
    if (!vehicle) return;
    if (index < 0 || index >= WEAPON_COUNT)
        ErrorManager::errorAt("switchWeapon", "project_top/src/GameController", __LINE__, "Unknown weapon.");
    BasicLink::deleteIfSet(vehicle->weapon);
    // The weapon kinds arrive with the weapons themselves; until then the
    // vehicle is left unarmed.
    vehicle->weapon = nullptr;
    vehicle->blasterEnergy = vehicle->maxBlasterEnergy;
    if (silent) return;
    findResource<Sound>(index == 0 ? "switchWeaponLower" : "switchWeapon")->playRandomPitch();
}

double GameController::nextBonusTime() {
    if (!bBonuses) return time + NEVER;
    int frequency = bonusFrequency;
    if (frequency < 0) frequency = 0;
    if (frequency > 2) frequency = 2;
    const double r = double(Random::next() & 0xFFFF) / 65536.0;
    return time + BONUS_BASE + BONUS_SPREAD[frequency] * r;
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
