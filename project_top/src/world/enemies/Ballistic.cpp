#include "Ballistic.h"

#include "render/Camera.h"
#include "core/Context.h"
#include "core/Plim.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Smoke.h"
#include "world/weapons/Projectile.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const double SMOKE_INTERVAL_LOW = 0.045; // graphics detail 0
const double SMOKE_INTERVAL = 0.015;
const double FLAME_INTERVAL = 0.025;
const double FLAME_INTERVAL_SPREAD = 0.25;
} // namespace

Ballistic::Ballistic()
    : pictures(World::frames("ballistic")),
      flameInterval(FLAME_INTERVAL + FLAME_INTERVAL_SPREAD * World::fraction()),
      smokeInterval(World::detail() == 0 ? SMOKE_INTERVAL_LOW : SMOKE_INTERVAL) {
    setup(World::frame(pictures, 0), nullptr, nullptr, nullptr);
    points = POINTS;
    setEnergy(ENERGY);
    collisionSensitivity = 0.5f;
    bHitsPalms = true;
    acceleration.y = -GRAVITY;
    bOrientToVelocity = true;
    bRemoveOffWorld = false;
}

Ballistic::~Ballistic() {}

void Ballistic::onSpawn() {
    position = getSpawnPosition(tint == 0 ? PLACE_SIDE : PLACE_SIDE_OR_TOP);
    GameObject* palm = randomTargetPalm();
    const V3 target = palm ? palm->boundsCenter : islandPosition();
    if (std::fabs(position.x - target.x) < CLOSEST_START) position.x = target.x + CLOSEST_START;

    // Toward the target, so the flight time is positive even when the side
    // the missile enters from lies beyond it.
    const float s = target.x > position.x ? 1.0f : -1.0f;
    const float vx = s * (1.0f + difficulty * World::fraction()) * SPEED;
    const float t = (target.x - position.x) / vx;
    velocity = V3(vx, ((target.y - position.y) + GRAVITY / 2.0f * t * t) / t, 0.0f);
    heading = std::atan2(velocity.y, velocity.x);
    rotation.z = heading;
    updateVisuals();
    flame.setup(nullptr, &position, &rotation, nullptr);
    World::playAt("ballisticEntry", position);
}

void Ballistic::tick(double, double dt) {
    GameObject::step(dt);

    if (World::detail() > 0) {
        smokeTimer += dt;
        if (smokeTimer >= smokeInterval) {
            smokeTimer = 0.0;
            Emission trail(position);
            trail.particles(2).speeds(50.0f, 75.0f).toward(heading + PI).spreading(PI / 4.0f);
            World::add(GameController::LAYER_SMOKE, new Smoke(trail, UColor::WHITE), true);
        }
    }

    flameTimer += dt;
    if (flameTimer >= flameInterval) {
        flameTimer = 0.0;
        flameFrame = (flameFrame + 1) % FLAME_FRAMES;
        flame.pSkin = World::frame(pictures, flameFrame + 1);
    }

    // Over the top it comes back down; only the sides let it go.
    Context* context = PLIM->currentContext;
    if (!bVisible && context && context->camera) {
        const Rect view = context->camera->getVisibleRect(0.0f);
        if ((position.x < view.left && velocity.x < 0.0f) || (position.x > view.right && velocity.x > 0.0f))
            bDestroyPending = true;
    }

    flame.setup(nullptr, &position, &rotation, nullptr);
}

void Ballistic::render() {
    Renderable::render();
    if (flame.pSkin) flame.render();
}

void Ballistic::onDestroyed(GameObject*) {
    Projectile::explodeAt(boundsCenter, heading, 8 + 6 * World::detail(), 25.0f, 75.0f, 2.0f);
    playExplosionShort(position, -0.5f, 0.0f);
    bDestroyPending = true;
}

void Ballistic::onEnterWater() { splashDown(); }
