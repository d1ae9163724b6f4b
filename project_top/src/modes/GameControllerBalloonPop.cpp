#include "GameControllerBalloonPop.h"

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
#include "audio/Sound.h"
#include "audio/SoundChannel.h"
#include "render/Texture.h"
#include "app/MyGlobal.h"
#include "CountdownClock.h"
#include "Messenger.h"
#include "PlayerData.h"
#include "PlayerHUD.h"
#include "world/CameraStatic.h"
#include "world/Cannon.h"
#include "world/World.h"
#include "world/effects/BonusBalloonPop.h"
#include "world/weapons/WeaponAutoGun.h"
#include "world/weapons/WeaponCannonBall.h"
#include "util/PlimMath.h"

#include <algorithm>
#include <cmath>

constexpr uint32_t GameControllerBalloonPop::PLAYER_ARGB[];

namespace {

const double MESSAGE_TIME = 3.0;
const double COUNT_MESSAGE_TIME = 1.0;
const double INTRO_DELAY = 1.0;
const double GET_READY_TIME = 5.0;
const double ROUND_MESSAGE_TIME = 3.0;
const double TIME_UP_DELAY = 5.0;
const double FADE_TIME = 3.0;
const double CAMERA_BLEND = 5.0;
const float VIEW_RAISE = 57.0f;

int halfHeight() { return Camera::fovHeight() / 2; }

GameObject* object(BasicLink* node) { return static_cast<GameObject*>(node); }

// Each live balloon touches at most the first live shot it overlaps; shots
// left waiting for deletion are deleted on the way.
void collideBalloons(PlimBase* balloons, PlimBase* shots) {
    for (BasicLink* a = balloons->firstChild; a; a = a->next) {
        if (!BasicLink::isLive(a)) continue;
        BasicLink* b = shots->firstChild;
        while (b) {
            BasicLink* next = b->next;
            if (b->bDestroyPending) {
                static_cast<PlimBase*>(b)->deleteMe();
            } else if (!b->bSkip && object(a)->collide(object(b))) {
                object(a)->onCollision(object(b));
                object(b)->onCollision(object(a));
                break;
            }
            b = next;
        }
    }
}

} // namespace

GameControllerBalloonPop::GameControllerBalloonPop() {
    takeMutatorOptions();
    palmCount = 3;
    gameType = GAMETYPE_BALLOON_POP;
    playerCount = gGlobal->saveData.players != 0 ? 2 : 1;
    for (int i = 0; i < PLAYERS; ++i) playerData[i]->color = colourOf(PLAYER_ARGB[i]);
    clock = new CountdownClock();
    hud->addChild(clock);
}

GameControllerBalloonPop::~GameControllerBalloonPop() {}

UColor GameControllerBalloonPop::colourOf(uint32_t argb) {
    return UColor(uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24));
}

float GameControllerBalloonPop::zoomOf(int round) {
    return 1.0f + std::min(1.0f, std::max(0.0f, float(round - 1) / float(ROUND_COUNT - 1)));
}

float GameControllerBalloonPop::ratingOf(int score, int players) {
    const float rating = float(score) / FULL_RATING_SCORE;
    return players == 2 ? rating * 0.5f : rating;
}

float GameControllerBalloonPop::tickFrequency(int k) { return 1.5f - 0.125f * float(k - 1); }

void GameControllerBalloonPop::onEnter() {
    GameController::onEnter();
    addIsland(0, 0.0f, palmCount, false);
    for (int i = 0; i < playerCount; ++i) {
        if (bAutocannons)
            addIslandCannon(i, new WeaponAutoGun(i));
        else
            addIslandCannon(i, new WeaponCannonBall(i));
    }
    placeOpeningView();
    fadeIn();
    setState(STATE_GET_READY, INTRO_DELAY);
}

void GameControllerBalloonPop::endGame() { endWithEndScene(); }

void GameControllerBalloonPop::addCamera(float zoom) {
    CameraStatic* camera = new CameraStatic(0.0f, (float(halfHeight()) - VIEW_RAISE) * zoom,
                                            -zoom * float(Camera::fovWidth()) * 0.5f);
    camera->blendTime = CAMERA_BLEND;
    scene->getCameraBlender()->addChild(camera);
}

void GameControllerBalloonPop::onStateChange() {
    switch (state) {
    case STATE_GET_READY:
        messenger->setMessage("get ready!", MESSAGE_TIME);
        addCamera(1.0f);
        setState(STATE_ROUND, GET_READY_TIME);
        break;
    case STATE_ROUND:
        ++round;
        for (int i = 0; i < playerCount; ++i) playerHud[i]->bHidden = false;
        messenger->setMessage(formatString("round %d of %d", round, ROUND_COUNT), MESSAGE_TIME);
        addCamera(zoomOf(round));
        setState(STATE_PLAYING, ROUND_MESSAGE_TIME);
        break;
    case STATE_PLAYING:
        // Started by the rules after this tick, so the clock's first step is
        // the next frame's and a round lasts its whole 30 s.
        bClockDue = true;
        break;
    case STATE_TIME_UP:
        messenger->setMessage("time!", MESSAGE_TIME);
        World::playRandomPitch("clockChime");
        layers[LAYER_BALLOONS]->destroyChildren();
        clock->running = false;
        setState(round >= ROUND_COUNT ? STATE_FADE : STATE_ROUND, TIME_UP_DELAY);
        break;
    default:
        runClosingStates(STATE_FADE, STATE_END, FADE_TIME);
        break;
    }
}

void GameControllerBalloonPop::addBalloon() {
    const Rect view = scene->camera->getVisibleRect(0.0f);
    Renderable* island = playerData[0]->pIsland.get();
    const V3 centre = island ? island->position : V3(0.0f, 0.0f, 0.0f);
    const float room = view.right - centre.x;
    const uint32_t a = Random::next();
    const uint32_t b = Random::next();
    const float angle = float(a & 0xFFFF) / 65536.0f * PI;
    const float radius = float(b & 0xFFFF) / 65536.0f * (room - MIN_RADIUS) + MIN_RADIUS;
    const float aspect = float(Camera::fovHeight()) / float(Camera::fovWidth());
    const V3 at(centre.x + std::cos(angle) * radius, centre.y + std::sin(angle) * radius / aspect, 0.0f);
    layers[LAYER_BALLOONS]->addChild(new BonusBalloonPop(at.x, at.y, at.z, BALLOON_LIFETIME, true));
    World::playAt("balloonPop", at);
}

void GameControllerBalloonPop::updateRules() {
    if (state != STATE_PLAYING) return;
    if (bClockDue) {
        bClockDue = false;
        clock->start(ROUND_TIME);
    }
    while (int(layers[LAYER_BALLOONS]->getNumChildren()) < playerCount) addBalloon();

    for (int k = 1; k <= CountdownClock::FLAGGED_SECONDS; ++k) {
        if (!clock->secondPassed(k)) continue;
        messenger->setMessage(formatString("%d", k), COUNT_MESSAGE_TIME);
        SoundChannel channel(World::sound("clockTick"));
        channel.setFrequency(tickFrequency(k), 0.0);
        channel.play();
    }
    if (clock->expired) setState(STATE_TIME_UP);
}

void GameControllerBalloonPop::checkCollisions() {
    collideBalloons(layers[LAYER_BALLOONS], layers[LAYER_CANNON_BALLS]);
    collideBalloons(layers[LAYER_BALLOONS], layers[LAYER_BULLETS]);
}

void GameControllerBalloonPop::computeRating() {
    winner = playerCount == 2 && playerData[1]->score > playerData[0]->score ? 1 : 0;
    playerData[winner]->rating = ratingOf(playerData[winner]->score, playerCount);
}
