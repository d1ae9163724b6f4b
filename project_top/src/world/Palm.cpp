#include "Palm.h"

#include "core/ErrorManager.h"
#include "render/Quad.h"
#include "render/Renderable.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "BendQuadV.h"
#include "Vehicle.h"
#include "World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float BOUNDS_RADIUS = 80.0f;
const float BOUNDS_BELOW_TOP = 20.0f;
const int ANCHOR_BOTTOM = 2;
const float ISLAND_RADIUS = 125.0f;
const float ISLAND_DEPTH = 25.0f;
const UColor BURNT(128, 128, 128, 255);
} // namespace

Palm::Palm(int owner) : GameObject(owner) {
    smokeInterval = World::detail() > 0 ? SMOKE_INTERVAL : SMOKE_INTERVAL_LOW;
    points = POINTS;
    bOwnsSkin = true;
    collisionSensitivity = 0.25f;

    Texture* texture = World::frames("palm");
    Quad* source = dynamic_cast<Quad*>(texture->skins[0]);
    if (!source) PLIM_ERROR("Texture 'palm' is not made of quads.");
    skin = new BendQuadV();
    skin->copyFrom(*source);
    skin->rows = 8 + 8 * (World::detail() > 0 ? 1 : 0);
    skin->allocateVertices();
    pSkin = skin;

    const float vTop = source->uvRect.top, vBottom = source->uvRect.bottom;
    vCut = vTop + (0.7f + 0.3f * World::fraction()) * (vBottom - vTop);
    skin->uvRect.bottom = vCut;
    skin->fitToTexture();
    skin->setOrigin(ANCHOR_BOTTOM);
    fullHeight = currentHeight = vCut - vTop;
    burntHeight = (vCut - vTop) - 0.5f * (vBottom - vTop);

    float ix = 0.0f, iy = 0.0f;
    PlayerData* data = GameController::currentPlayer(owner);
    if (data && data->pIsland.get()) {
        ix = data->pIsland.get()->position.x;
        iy = data->pIsland.get()->position.y;
    }
    const float t = PI / 8.0f + World::fraction() * (3.0f * PI / 4.0f);
    const float q = 0.75f + 0.25f * World::fraction();
    position.x = ix + ISLAND_RADIUS * q * std::cos(t);
    position.y = (iy - 5.0f) + ISLAND_DEPTH * q * std::sin(t) * (1.0f + 0.35f * (PI / 2.0f - std::fabs(t - 2.0f * PI / 5.0f)));
    position.z = 0.0f;

    lean = World::fraction() * t - t / 2.0f;
    skin->setBend(lean);
    rotation.z = (t - PI / 2.0f) / 8.0f;

    sway.mass = 0.01f;
    sway.damping = 2.0f;
    updateVisuals();
    setState(STATE_STANDING);
}

Palm::~Palm() {}

void Palm::tick(double time, double dt) {
    PlimBase::tick(time, dt);
    sway.tick(time, dt);
    if (state == STATE_BURNING) burn(dt);
    skin->setBend((sway.position.x * SWAY_BEND + lean) * currentHeight / fullHeight);
}

void Palm::burn(double dt) {
    if (burnProgress >= 1.0f) {
        if (PlayerData* data = GameController::currentPlayer(owner)) data->onPalmLost();
        setState(STATE_BURNT);
        return;
    }
    burnProgress += float(dt);
    if (burnProgress < 0.0f) burnProgress = 0.0f;
    if (burnProgress > 1.0f) burnProgress = 1.0f;
    currentHeight = fullHeight + (burntHeight - fullHeight) * burnProgress;
    color = UColor(UColor::WHITE, BURNT, burnProgress);
    // The crown burns away from the top.
    skin->uvRect.top = vCut - currentHeight;
    skin->fitToTexture();
    skin->setOrigin(ANCHOR_BOTTOM);
    updateVisuals();

    smokeTimer += dt;
    if (smokeTimer < smokeInterval) return;
    smokeTimer = 0.0;
    const V3 p = local2world(V3(0.0f, (skin->height / 2.0f - 16.0f) + 16.0f * burnProgress, 0.0f));
    Emission upward(p);
    upward.particles(2).toward(HALF_PI).spreading(HALF_PI);
    World::add(GameController::LAYER_SMOKE,
               new Smoke(Emission(upward).speeds(25.0f, 100.0f).scaled(2.5f - 1.5f * burnProgress), color), true);
    if (World::detail() > 0 && burnProgress < 0.75f)
        World::add(GameController::LAYER_BEAMS,
                   new Explosion(Emission(upward).speeds(15.0f, 50.0f).scaled(2.0f - 2.0f * burnProgress)), true);
}

void Palm::onHit(GameObject* by, float) {
    if (!by) return;
    float v = sway.velocity.x + by->velocity.x * std::cos(rotation.z);
    if (v > MAX_SWAY_SPEED) v = MAX_SWAY_SPEED;
    if (v < -MAX_SWAY_SPEED) v = -MAX_SWAY_SPEED;
    sway.velocity.x = v;
}

void Palm::onDestroyed(GameObject* by) {
    setState(STATE_BURNING);
    World::playAt("treeBurn", position);
    if (GameController* game = GameController::current()) game->shakeCamera(0.01, 1.0);
    // A player who lost his vehicle and still takes a palm gets laughed at.
    if (by && by->owner >= 0) {
        Vehicle* vehicle = GameController::currentVehicle(by->owner);
        if (vehicle && vehicle->energy <= 0.0f) World::playRandomPitch("nyuck");
    }
}

void Palm::calcBounds() {
    const float h = pSkin ? pSkin->height : 0.0f;
    boundsCenter = local2world(V3(0.0f, h / 2.0f - BOUNDS_BELOW_TOP, 0.0f));
    boundsRadius = BOUNDS_RADIUS;
}
