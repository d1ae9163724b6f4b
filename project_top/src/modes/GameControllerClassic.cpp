#include "GameControllerClassic.h"

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
#include "render/Skin.h"
#include "render/Texture.h"
#include "app/MyGlobal.h"
#include "Messenger.h"
#include "PlayerData.h"
#include "PlayerHUD.h"
#include "world/Airplane.h"
#include "world/CameraDefault.h"
#include "world/CameraFollowPlayer.h"
#include "world/CameraStatic.h"
#include "world/Cannon.h"
#include "world/Palm.h"
#include "world/World.h"
#include "world/pilots/AirplaneComputerControlDuel.h"
#include "world/pilots/CannonComputerControl.h"
#include "world/weapons/WeaponAutoGun.h"
#include "world/weapons/WeaponBomb.h"
#include "world/weapons/WeaponBullet.h"
#include "world/weapons/WeaponCannonBall.h"

#include <algorithm>

const char* const GameControllerClassic::roundNames[ROUNDS_PER_DAY + 1] = {"none", "sunrise", "noon", "sunset"};

namespace {

const UColor PLAYER_COLOURS[GameController::PLAYERS] = {UColor(255, 0, 0, 255), UColor(0, 0, 255, 255)};
const float ISLAND_X = 500.0f;
const float START_LOW = 50.0f;
const int START_SPREAD = 350;
const int OPPONENT_COMPUTER = 2;
const double OPEN_DELAY = 1.0;
const double FIGHT_MESSAGE_TIME = 3.0;
const double FIGHT_TIME = 5.0;
const double FIGHT_BLEND = 5.0;
const double MESSAGE_TIME = 2.0;
const double DAY_TIME = 2.0;
const double ROUND_TIME = 1.0;
const double NEXT_ROUND_DELAY = 1.0;
const double FADE_TIME = 2.0;

int fovHeight() { return PLIM->graphics ? PLIM->graphics->fovHeight : 480; }
int fovWidth() { return PLIM->graphics ? PLIM->graphics->fovWidth : 640; }
double fraction() { return double(Random::next() & 0xFFFF) / 65536.0; }


using CollisionPass::collideLayers;

bool foes(GameObject* a, GameObject* b) { return a->owner != b->owner; }

} // namespace

GameControllerClassic::GameControllerClassic() {
    takeMutatorOptions();
    const SaveData& saved = gGlobal->saveData;
    computerPlayers = saved.opponentType == OPPONENT_COMPUTER ? 1 : 0;
    palmCount = PALMS;
    aiSkill = std::min(1.0f, std::max(0.0f, float(saved.difficulty) * 0.25f));
    gameType = GAMETYPE_DUEL;
    for (int i = 0; i < PLAYERS; ++i) playerData[i]->color = PLAYER_COLOURS[i];
    days = DAYS;
}

GameControllerClassic::~GameControllerClassic() {}

void GameControllerClassic::addOverviewCamera(double blendTime) {
    CameraStatic* camera = new CameraStatic(0.0f, float(fovHeight()), -0.5f * float(fovWidth()));
    if (blendTime > 0.0) camera->blendTime = blendTime;
    scene->getCameraBlender()->addChild(camera);
}

void GameControllerClassic::onEnter() {
    GameController::onEnter();
    for (int i = 0; i < PLAYERS; ++i) addIsland(i, -ISLAND_X + 2.0f * ISLAND_X * float(i), palmCount, false);
    placeOpeningView();
    fadeIn();
    nextBonusAt = nextBonusTime();
    setState(STATE_START, OPEN_DELAY);
}

void GameControllerClassic::endGame() { endWithEndScene(); }

void GameControllerClassic::clearField(bool keepPalms) {
    if (!keepPalms) layers[LAYER_PALMS]->destroyChildren();
    const int cleared[] = {LAYER_CANNONS,      LAYER_AIRPLANES, LAYER_CANNON_BALLS,
                           LAYER_BOMBS,        LAYER_BULLETS,   LAYER_BALLOONS};
    for (int layer : cleared) layers[layer]->destroyChildren();
    for (PlayerData* data : playerData) data->pVehicle.set(nullptr);
}

bool GameControllerClassic::fliesIn(int player, int round) {
    if (round == ROUND_SUNSET) return true;
    return player == 0 ? round == ROUND_SUNRISE : round == ROUND_NOON;
}

void GameControllerClassic::newDay() {
    ++day;
    round = ROUND_NONE;
    clearField(false);
    for (PlayerHUD* display : playerHud) display->bHidden = false;
    for (PlayerData* data : playerData) data->createPalms(palmCount, false);
    scene->getCameraBlender()->setPosition(0.0f, float(fovHeight()), -0.5f * float(fovWidth()), false);
    fadeTo(0.0f);
    messenger->setMessage(formatString("day %d of %d", day, days), MESSAGE_TIME);
    setState(STATE_NEXT_ROUND, DAY_TIME);
}

void GameControllerClassic::newRound() {
    ++round;
    clearField(true);
    const bool useMouse = gGlobal->saveData.bUseMouse != 0;
    for (int p = 0; p < PLAYERS; ++p) {
        const bool human = p < 2 - computerPlayers;
        const float x = playerData[p]->pIsland ? playerData[p]->pIsland->position.x : 0.0f;
        Vehicle* vehicle = nullptr;
        int layer = LAYER_CANNONS;
        if (fliesIn(p, round)) {
            Airplane* plane = nullptr;
            if (human)
                plane = new Airplane(p);
            else if (round == ROUND_SUNSET)
                plane = new AirplaneComputerControlDuel(p);
            else
                plane = new AirplaneComputerControl(p);
            plane->setModel(bP35Planes ? Airplane::MODEL_P35 : Airplane::MODEL_BIPLANE);
            plane->position = V3(x, START_LOW + float(Random::next() % START_SPREAD), 0.0f);
            plane->updateVisuals();
            if (round == ROUND_SUNSET)
                plane->weapon = new WeaponBullet(p);
            else
                plane->weapon = new WeaponBomb(p);
            vehicle = plane;
            layer = LAYER_AIRPLANES;
        } else {
            Cannon* cannon = human ? new Cannon(p) : new CannonComputerControl(p);
            cannon->position = V3(x, 0.0f, 0.0f);
            cannon->updateVisuals();
            GameController* current = GameController::current();
            if (current && current->bAutocannons)
                cannon->weapon = new WeaponAutoGun(p);
            else
                cannon->weapon = new WeaponCannonBall(p);
            vehicle = cannon;
        }
        // A computer pilot steering "toward the mouse" would never turn.
        vehicle->bMouseControl = p == 0 && useMouse && human;
        layers[layer]->addChild(vehicle);
        playerData[p]->pVehicle.set(vehicle);
    }
    messenger->setMessage(roundNames[round], MESSAGE_TIME);
    setState(STATE_BATTLE, ROUND_TIME);
}

void GameControllerClassic::onPlayerDie(int) { setState(STATE_ROUND_OVER, ROUND_END_DELAY); }

void GameControllerClassic::onAllPalmsDead(int player) {
    if (round == ROUND_SUNSET || state != STATE_BATTLE) return;
    scene->getCameraBlender()->addChild(new CameraFollowPlayer(1 - player));
    setState(STATE_ROUND_OVER, ROUND_END_DELAY);
}

void GameControllerClassic::onStateChange() {
    switch (state) {
    case STATE_START:
        setState(STATE_FIGHT, STATE_AT_ONCE);
        break;
    case STATE_FIGHT:
        messenger->setMessage("fight!", FIGHT_MESSAGE_TIME);
        addOverviewCamera(FIGHT_BLEND);
        setState(STATE_NEW_DAY, FIGHT_TIME);
        break;
    case STATE_NEW_DAY:
        newDay();
        break;
    case STATE_NEXT_ROUND:
        setState(STATE_NEW_ROUND, STATE_AT_ONCE);
        break;
    case STATE_NEW_ROUND:
        newRound();
        break;
    case STATE_BATTLE:
        scene->getCameraBlender()->addChild(new CameraDefault());
        break;
    case STATE_ROUND_OVER:
        if (round == ROUND_SUNSET) {
            setState(STATE_DAY_OVER, 0.0);
        } else {
            addOverviewCamera(0.0);
            setState(STATE_NEXT_ROUND, NEXT_ROUND_DELAY);
        }
        break;
    case STATE_DAY_OVER:
        setState(STATE_DAY_FADE, STATE_AT_ONCE);
        break;
    case STATE_DAY_FADE:
        fadeOutTo(day < days ? STATE_NEW_DAY : STATE_END, FADE_TIME);
        break;
    case STATE_END:
        endGame();
        break;
    default:
        break;
    }
}

void GameControllerClassic::updateRules() {
    if (state != STATE_BATTLE || time <= nextBonusAt) return;
    nextBonusAt = nextBonusTime();
    Rect view = scene->camera->getVisibleRect(0.0f);
    if (view.bottom < 0.0f) view.bottom = 0.0f;
    const double ry = fraction();
    const double rx = fraction();
    const float y = view.bottom + (view.top - view.bottom) * float(ry);
    const float x = view.left + (view.right - view.left) * float(rx);
    spawnBalloon(x, y, 0.0f, BALLOON_SPEED, true);
}

void GameControllerClassic::checkCollisions() {
    const auto always = [](GameObject*, GameObject*) { return true; };
    const auto activeFoe = [](GameObject* shot, GameObject* plane) {
        return static_cast<Vehicle*>(plane)->isActive() && foes(shot, plane);
    };
    collideLayers(layers[LAYER_BOMBS], layers[LAYER_PALMS], [](GameObject* bomb, GameObject* palm) {
        return foes(bomb, palm) && palm->state == Palm::STATE_STANDING;
    });
    collideLayers(layers[LAYER_CANNON_BALLS], layers[LAYER_BOMBS], foes);
    collideLayers(layers[LAYER_BULLETS], layers[LAYER_BOMBS], foes);
    collideLayers(layers[LAYER_CANNON_BALLS], layers[LAYER_AIRPLANES], activeFoe);
    collideLayers(layers[LAYER_BULLETS], layers[LAYER_AIRPLANES], activeFoe);
    collideLayers(layers[LAYER_BALLOONS], layers[LAYER_CANNON_BALLS], always);
    collideLayers(layers[LAYER_BALLOONS], layers[LAYER_BOMBS], always);
    collideLayers(layers[LAYER_BALLOONS], layers[LAYER_BULLETS], always);
}

float GameControllerClassic::ratingOf(int winnerScore, int loserScore, bool loserHuman, float d) {
    if (winnerScore <= 0) return 0.0f;
    const float r = std::min(1.0f, std::max(0.0f, float(loserScore) / float(winnerScore)));
    const float k = loserHuman ? -1.0f : 0.5f * d - 1.0f;
    const float v = 1.0f + k * r;
    return loserHuman ? v * 0.5f : v * (0.8f * d + 0.2f);
}

void GameControllerClassic::computeRating() {
    const int s0 = playerData[0]->score;
    const int s1 = playerData[1]->score;
    winner = s1 > s0 ? 1 : 0;
    PlayerData* w = playerData[winner];
    PlayerData* l = playerData[1 - winner];
    w->rating = ratingOf(w->score, l->score, l->bHuman, aiSkill);
    l->rating = 0.0f;
}
