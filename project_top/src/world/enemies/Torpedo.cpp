#include "Torpedo.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Splash.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float COLLISION_SENSITIVITY = 0.5f;
const int SPLASH_DROPS = 20;
const float SPLASH_SPEED = 200.0f;
} // namespace

Torpedo::Torpedo() {
    points = POINTS;
    setEnergy(ENERGY);
    acceleration = V3(0.0f, -GRAVITY, 0.0f);
    bOrientToVelocity = true;
    collisionSensitivity = COLLISION_SENSITIVITY;
    pSkin = World::frame(World::frames("torpedo"), 0);
    updateVisuals();
}

Torpedo::~Torpedo() {}

void Torpedo::onSpawn() {
    position = getSpawnPosition(5);
    updateVisuals();
    GameObject* palm = randomTargetPalm();
    const V3 target = palm ? palm->boundsCenter : islandPosition();
    launchAt(target, (0.5f + 0.5f * World::fraction()) * MAX_LAUNCH_SPEED);
}

void Torpedo::launchAt(V3 target, float vy) {
    // The arc's top is vy^2 / 2g above the start; lift it to the target when
    // it falls short, so the time to the target's height exists.
    const float rise = target.y - position.y;
    if (rise > 0.0f) {
        const float needed = std::sqrt(2.0f * GRAVITY * rise);
        if (vy < needed) vy = needed;
    }
    velocity = V3(0.0f, vy, 0.0f);
    const float t = timeToHeight(target.y);
    velocity.x = t > 0.0f ? (target.x - position.x) / t : 0.0f;
}

void Torpedo::tick(double, double dt) {
    step(dt);
    bHitsPalms = velocity.y < 0.0f;
    if (!exitPending) return;
    exitPending = false;
    if (World::detail() > 0) {
        Emission drops(position);
        drops.particles(SPLASH_DROPS).speeds(0.0f, SPLASH_SPEED).toward(heading).spreading(HALF_PI);
        World::add(GameController::LAYER_FIREWORKS, new Splash(drops));
    }
    World::playAt("waterExit", position);
}

void Torpedo::onEnterWater() { splashDown(); }

void Torpedo::onDestroyed(GameObject* by) {
    explode(0.0f, 50.0f);
    playExplosionShort(position, 0.0f, 0.5f);
    GameObject::onDestroyed(by);
}
