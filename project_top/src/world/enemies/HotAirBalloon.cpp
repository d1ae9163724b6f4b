#include "HotAirBalloon.h"

#include "render/Camera.h"
#include "ContextBlender.h"
#include "app/Formatters.h"
#include "util/Random.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Smoke.h"
#include "world/weapons/BombCampaign.h"
#include "util/PlimMath.h"

#include <cmath>
#include <utility>

namespace {
const float COLLISION_SENSITIVITY = 0.7f;
const float BASE_SPEED = 32.0f;
const float FULL_SWING_SPEED = 48.0f; // from here on the frames run fastest
const double SLOWEST_FRAME = 0.2;
const double FASTEST_FRAME = 0.01;
const V3 BOMB_OFFSET(1.0f, -50.0f, 0.0f);
const int PUFF_COUNT = 10;
const float PUFF_SPEED = 30.0f;
const float PUFF_SCALE = 3.0f;

// The scene camera's view at depth 0 (empty outside a match).
Rect sceneView() {
    GameController* game = GameController::current();
    if (!game || !game->scene || !game->scene->camera) return Rect();
    return game->scene->camera->getVisibleRect(0.0f);
}
} // namespace

HotAirBalloon::HotAirBalloon()
    : phase(World::fraction() * 2.0f * PI), frames(World::frames("hotAirBalloon")), frame(Random::next() % 8) {
    points = POINTS;
    collisionSensitivity = COLLISION_SENSITIVITY;
    stripes.color = UColor(Formatters::randomColour());
    stripes.pSkin = World::frame(frames, frame + BODY_FRAMES);
    backPiece.pSkin = World::frame(frames, BACK_PIECE);
    frontPiece.pSkin = World::frame(frames, FRONT_PIECE);
    pSkin = World::frame(frames, frame);
    updateVisuals();
    placePieces();
}

HotAirBalloon::~HotAirBalloon() {
    // A bomb never dropped (the match ended, the wave was cleared) goes too.
    BasicLink::deleteIfSet(carriedBomb);
}

double HotAirBalloon::frameIntervalFor(float vx) {
    const double r = std::fabs(vx) / FULL_SWING_SPEED;
    return r > 1.0 ? FASTEST_FRAME : SLOWEST_FRAME - (SLOWEST_FRAME - FASTEST_FRAME) * r;
}

void HotAirBalloon::onSpawn() {
    position = getSpawnPosition(3);
    updateVisuals();
    speed = BASE_SPEED + BASE_SPEED * difficulty;
    const V3 island = islandPosition();
    heading = std::atan2(island.y - position.y, island.x - position.x) + World::fraction() * PI / 2.0f - PI / 4.0f;
    if (tint != 0) stripes.color = tintColour(tint);
    velocity = V3(std::cos(heading) * speed, std::sin(heading) * speed, 0.0f);
    frameInterval = frameIntervalFor(velocity.x);
    placePieces();
}

void HotAirBalloon::tick(double time, double dt) {
    step(dt);
    const float s = 1.0f + WOBBLE * std::sin(WOBBLE_RATE * float(time) + phase);
    scale = V3(s, 1.0f / s, 1.0f);
    updateVisuals();

    GameObject* palm = targetPalm.get();
    if (carriedBomb && palm &&
        std::fabs(position.x - palm->boundsCenter.x) < 0.5f * palm->boundsRadius * palm->collisionSensitivity)
        releaseBomb();

    frameTimer += dt;
    if (frameTimer >= frameInterval) {
        frameTimer = 0.0;
        frame += velocity.x > 0.0f ? 1 : -1;
        if (frame < 0 || frame >= BODY_FRAMES) {
            std::swap(color, stripes.color);
            frame = frame < 0 ? BODY_FRAMES - 1 : 0;
        }
    }

    const Rect view = sceneView();
    if (position.x < view.left) velocity.x = std::fabs(velocity.x);
    if (position.x > view.right) velocity.x = -std::fabs(velocity.x);
    if (position.y > view.top) velocity.y = -std::fabs(velocity.y);
    if (position.y < MIN_HEIGHT) velocity.y = std::fabs(velocity.y);

    Skin* body = World::frame(frames, frame);
    if (body != pSkin) {
        pSkin = body;
        updateVisuals();
    }
    placePieces();
}

void HotAirBalloon::placePieces() {
    stripes.pSkin = World::frame(frames, frame + BODY_FRAMES);
    stripes.setup(nullptr, &position, &rotation, &scale);
    stripes.updateVisuals();
    const V3 flat(1.0f, 1.0f, 1.0f);
    backPiece.setup(nullptr, &position, &rotation, &flat);
    backPiece.updateVisuals();
    frontPiece.setup(nullptr, &position, &rotation, &scale);
    frontPiece.updateVisuals();
    if (carriedBomb) {
        carriedBomb->position = position + BOMB_OFFSET;
        carriedBomb->updateVisuals();
    }
}

void HotAirBalloon::render() {
    if (carriedBomb) carriedBomb->render();
    backPiece.render();
    Renderable::render();
    stripes.render();
    frontPiece.render();
}

void HotAirBalloon::releaseBomb() {
    if (!carriedBomb) return;
    BombCampaign* bomb = carriedBomb;
    carriedBomb = nullptr;
    World::add(GameController::LAYER_ENEMY_PROJECTILES, bomb);
    World::playAt("bombWhistleShort", position);
}

void HotAirBalloon::onDestroyed(GameObject* by) {
    GameObject::onDestroyed(by);
    releaseBomb();
    Emission puff(position);
    puff.particles(PUFF_COUNT).speeds(0.0f, PUFF_SPEED).spreading(TWO_PI).scaled(PUFF_SCALE);
    World::add(GameController::LAYER_FIREWORKS, new Smoke(puff, UColor::WHITE));
    World::playAt("deflate", position);
}
