#include "Enemy.h"

#include "render/Camera.h"
#include "ContextBlender.h"
#include "util/Random.h"
#include "render/Skin.h"
#include "audio/Sound.h"
#include "modes/GameController.h"
#include "modes/GameRecorder.h"
#include "modes/PlayerData.h"
#include "world/Palm.h"
#include "world/World.h"
#include "world/weapons/Projectile.h"

#include <cmath>

namespace {

const float SPLASH_SPEED = 200.0f;
const float EXPLOSION_SCALE = 1.5f;

Camera* gameCamera() {
    GameController* game = GameController::current();
    return game && game->scene ? game->scene->camera : nullptr;
}

float between(float a, float b) { return a + World::fraction() * (b - a); }

} // namespace

Enemy::Enemy() : GameObject(-1) {}

Enemy::~Enemy() {
    // Only ends of its own: an enemy deleted with the world or a spawner is
    // still alive (or never appeared).
    if (bDestroyPending && GameRecorder::current) GameRecorder::current->onEnemyEnd(this);
}

float Enemy::takeDamage(GameObject* from, float amount) {
    const bool wasAlive = energy > 0.0f;
    const float taken = GameObject::takeDamage(from, amount);
    if (wasAlive && energy <= 0.0f && destroyedByOwner == -2) {
        destroyedByOwner = from ? from->owner : -1;
        bDestroyedByPalm = dynamic_cast<Palm*>(from) != nullptr;
    }
    return taken;
}

V3 Enemy::getSpawnPosition(int placement) {
    Camera* camera = gameCamera();
    if (!camera) return V3(0.0f, 0.0f, 0.0f);
    const Rect view = camera->getVisibleRect(0.0f);
    const float u = camera->getUnitsPerPixel(0.0f);
    const float w = pSkin ? pSkin->width : 0.0f;
    const float h = pSkin ? pSkin->height : 0.0f;

    const float low = std::fmax(BAND_BOTTOM_PIXELS * u + WATER_LINE, view.bottom);
    const float high = view.top - BAND_TOP_PIXELS * u;
    const float edge = (view.top + h) - std::fmax(view.bottom, WATER_LINE);
    const float xL = view.left - w;
    const float xR = view.right + w;
    const float yT = view.top + h;

    const float cx = camera->position.x;
    int side = 0;
    if (std::fabs(cx) >= CENTRED_CAMERA) side = cx < 0.0f ? -1 : 1;

    switch (placement) {
    case PLACE_LEFT:
        return V3(xL, between(low, high), 0.0f);
    case PLACE_RIGHT:
        return V3(xR, between(low, high), 0.0f);
    case PLACE_SIDE:
        if (side == 0) side = int(Random::next() % 2) * 2 - 1;
        return V3(side > 0 ? xR : xL, between(low, high), 0.0f);
    case PLACE_SIDE_OR_TOP: {
        const float wl = side == 1 ? 0.0f : edge;
        const float wr = side == -1 ? 0.0f : edge;
        const float wt = xR - xL;
        const float q = World::fraction() * (wl + wt + wr);
        if (q < wl) return V3(xL, between(low, high), 0.0f);
        if (q < wl + wt) return V3(between(view.left, view.right), yT, 0.0f);
        return V3(xR, between(low, high), 0.0f);
    }
    case PLACE_TOP:
        return V3(between(view.left, view.right), yT, 0.0f);
    case PLACE_WATER:
        return V3(between(view.left, view.right), WATER_LINE, 0.0f);
    default:
        return V3(0.0f, 0.0f, 0.0f);
    }
}

int Enemy::directionToCentre(V3 point) {
    Camera* camera = gameCamera();
    const float cx = camera ? camera->position.x : 0.0f;
    return point.x > cx ? -1 : 1;
}

GameObject* Enemy::randomTargetPalm() {
    PlayerData* data = GameController::currentPlayer(0);
    return data ? data->randomAlivePalm() : nullptr;
}

V3 Enemy::islandPosition() {
    PlayerData* data = GameController::currentPlayer(0);
    Renderable* island = data ? data->pIsland.get() : nullptr;
    return island ? island->position : V3(0.0f, 0.0f, 0.0f);
}

UColor Enemy::tintColour(int32_t argb) {
    const uint32_t c = uint32_t(argb);
    return UColor(uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24));
}

void Enemy::playExplosionShort(V3 at, float pitchMin, float pitchMax) {
    Sound* sound = World::sound("explosionShort");
    sound->pitchMin = pitchMin;
    sound->pitchMax = pitchMax;
    sound->playAt(at);
}

void Enemy::splashDown() {
    Projectile::splashAt(position, SPLASH_SPEED);
    World::playAt("smallSplash", position);
    bDestroyPending = true;
}

void Enemy::explode(float minSpeed, float maxSpeed) {
    Projectile::explodeAt(position, heading, 6 * World::detail() + 4, minSpeed, maxSpeed, EXPLOSION_SCALE);
}
