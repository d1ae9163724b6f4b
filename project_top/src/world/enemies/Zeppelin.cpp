#include "Zeppelin.h"

#include "render/Camera.h"
#include "ContextBlender.h"
#include "util/Matrix.h"
#include "util/Random.h"
#include "render/Skin.h"
#include "modes/GameController.h"
#include "modes/GameControllerCampaign.h"
#include "modes/Messenger.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "AtomBomb.h"
#include "EnemySpawner.h"
#include "PropelledBomb.h"
#include "ZeppelinTurret.h"
#include "world/weapons/BomberBomb.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float TURRET_X[Zeppelin::TURRETS] = {-80.0f, -16.0f, 48.0f, 112.0f};
const float WRAP_MARGIN = 32.0f;
// Drops fall from a random x over the turret row.
const float DROP_FROM = -80.0f;
const float DROP_SPAN = 272.0f;
const int ATOM_BOMBS_PER_TURRET = 2;
// Burning: explosions on an ellipse over the hull.
const float BURN_RX = 220.0f;
const float BURN_RY = 24.0f;
const double BURST_GAP = 0.05;
const double BURST_GAP_SPREAD = 0.5;
const double BURN_SHAKE = 0.0025;
// The final blast: explosions every 64 units along the hull.
const float BLAST_FROM = -256.0f;
const float BLAST_STEP = 64.0f;
const int BLASTS = 9;
const double BLAST_SHAKE = 0.02;
const double SHAKE_TIME = 1.0;
const double MESSAGE_TIME = 3.0;

GameController* game() { return GameController::current(); }

// The scene camera's view at depth 0 (empty outside a match).
Rect sceneView() {
    GameController* match = GameController::current();
    if (!match || !match->scene || !match->scene->camera) return Rect();
    return match->scene->camera->getVisibleRect(0.0f);
}
} // namespace

Zeppelin::Zeppelin() {
    setEnergy(ENERGY);
    collisionSensitivity = 0.0f;
    points = 0;
    pSkin = World::frame(World::frames("zeppelin"), HULL_PICTURE);
    scale = V3(SCALE, SCALE, 1.0f);
    velocity = V3(SPEED, 0.0f, 0.0f);
    bOrientToVelocity = true;
    bRemoveOffWorld = false;
    setStateRaw(STATE_FLYING);
    updateVisuals();
}

Zeppelin::~Zeppelin() {}

float Zeppelin::turretEnergy(int type) { return 7.0f + 1.75f * float(type); }

double Zeppelin::dropIntervalOf(int type) {
    switch (type) {
    case 1: return 0.5;
    case 2: return 1.4;
    case 4: return 1.3;
    default: return DEFAULT_DROP_INTERVAL;
    }
}

V3 Zeppelin::worldPoint(V3 local) const { return transformPoint(local, xform); }

void Zeppelin::onSpawn() {
    const Rect view = sceneView();
    const float width = pSkin ? pSkin->width * SCALE : 0.0f;
    position = V3(view.left - width, view.top + (0.3f + 0.5f * World::fraction()) * (view.top - view.bottom) / 2.0f, 0.0f);
    updateVisuals();
    GameController* match = game();
    for (int i = 0; i < TURRETS; ++i) {
        ZeppelinTurret* turret = new ZeppelinTurret(turretEnergy(tint));
        turret->zeppelin.set(this);
        turret->mountOffset = V3(TURRET_X[i], 0.0f, 0.0f);
        turret->onSpawn();
        turret->ride();
        ++turretsLeft;
        if (match) match->pointsTotal += turret->points;
        World::add(GameController::LAYER_ENEMIES, turret);
    }
    dropInterval = dropIntervalOf(tint);
    // Only the invasion moves its camera out for the airship.
    if (auto* invasion = dynamic_cast<GameControllerCampaign*>(match)) invasion->focusCamera(0, true);
}

void Zeppelin::tick(double time, double dt) {
    PlimBase::tick(time, dt);
    step(dt);
    const Rect view = sceneView();
    if (position.x > view.right + WRAP_MARGIN) {
        const float width = pSkin ? pSkin->width * SCALE : 0.0f;
        position = V3(view.left - width,
                      (0.3f + 0.5f * World::fraction()) * (view.top - WATER_LINE) + WATER_LINE, 0.0f);
        updateVisuals();
    }
    if (state == STATE_BURNING) {
        burn(dt);
        return;
    }
    dropTimer += dt;
    if (dropTimer >= dropInterval) {
        dropTimer = 0.0;
        drop();
    }
}

void Zeppelin::drop() {
    switch (tint) {
    case 0:
    case 3:
        for (float x : TURRET_X) {
            for (int i = 0; i < ATOM_BOMBS_PER_TURRET; ++i) {
                AtomBomb* bomb = new AtomBomb();
                bomb->points = 0;
                bomb->position = worldPoint(V3(x, 0.0f, 0.0f));
                bomb->heading = 2.0f * PI * World::fraction();
                bomb->rotation.z = bomb->heading;
                bomb->updateVisuals();
                World::add(GameController::LAYER_ENEMIES, bomb, true);
            }
        }
        break;
    case 1: {
        const V3 at = worldPoint(V3(DROP_FROM + DROP_SPAN * World::fraction(), 0.0f, 0.0f));
        // A plain bomb, not an enemy: it strikes palms from the enemy
        // projectiles, as the bomber's do.
        World::add(GameController::LAYER_ENEMY_PROJECTILES,
                   new BomberBomb(at.x, at.y, at.z, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f), true);
        World::playAt("bomberDropBomb", position);
        break;
    }
    case 2:
    case 4: {
        PropelledBomb* bomb = new PropelledBomb();
        bomb->points = 0;
        bomb->difficulty = 1.0f;
        bomb->tint = PropelledBomb::TINT_PLACED_BY_CREATOR;
        bomb->onSpawn();
        bomb->position = worldPoint(V3(DROP_FROM + DROP_SPAN * World::fraction(), 0.0f, 0.0f));
        bomb->updateVisuals();
        World::add(GameController::LAYER_ENEMIES, bomb, true);
        break;
    }
    default: break;
    }
}

void Zeppelin::burn(double dt) {
    const double t = timeInState;
    if (t > BURN_TIME) {
        finalBlast();
        return;
    }
    if (nextBurstTime != 0.0f && !(nextBurstTime <= t && t - dt < nextBurstTime)) return;
    const float a = 2.0f * PI * World::fraction();
    const V3 at = worldPoint(V3(BURN_RX * std::cos(a), BURN_RY * std::sin(a), 0.0f));
    // Behind the hull (smoke layer) or in front of it (fireworks), by chance.
    const int layer = (Random::next() & 1) ? GameController::LAYER_SMOKE : GameController::LAYER_FIREWORKS;
    Emission flames(at);
    flames.particles(10).speeds(50.0f, 50.0f).toward(a).spreading(HALF_PI).scaled(4.0f);
    World::add(layer, new Explosion(flames));
    playExplosionShort(position, -0.75f, 0.0f);
    if (GameController* match = game()) match->shakeCamera(BURN_SHAKE, SHAKE_TIME);
    nextBurstTime += float(BURST_GAP + BURST_GAP_SPREAD * World::fraction());
}

void Zeppelin::finalBlast() {
    for (int i = 0; i < BLASTS; ++i) {
        const V3 at = worldPoint(V3(BLAST_FROM + BLAST_STEP * float(i), 0.0f, 0.0f));
        Emission blast(at);
        blast.particles(10).speeds(50.0f, 100.0f).toward(heading).spreading(TWO_PI).scaled(10.0f);
        World::add(GameController::LAYER_FIREWORKS, new Explosion(blast));
    }
    World::playAt("explosionLong", position);
    if (GameController* match = game()) {
        match->shakeCamera(BLAST_SHAKE, SHAKE_TIME);
        EnemySpawner::cancelAll();
    }
    bDestroyPending = true;
}

void Zeppelin::onHit(GameObject*, float) { energy = maxEnergy; }

void Zeppelin::onTurretDestroyed(ZeppelinTurret* turret) {
    if (--turretsLeft >= 1) return;
    destroyedByOwner = turret ? turret->destroyedByOwner : -1;
    acceleration = V3(0.0f, -SINK, 0.0f);
    setState(STATE_BURNING);
    if (GameController* match = game()) match->messenger->setMessage("excellent!", MESSAGE_TIME);
}
