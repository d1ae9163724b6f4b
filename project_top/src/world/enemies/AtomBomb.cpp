#include "AtomBomb.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Smoke.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const UColor SMOKE_GREY(128, 128, 128, 255);
const double SMOKE_INTERVAL_LOW = 0.045; // graphics detail 0
const double SMOKE_INTERVAL = 0.015;
} // namespace

AtomBomb::AtomBomb() : smokeInterval(World::detail() == 0 ? SMOKE_INTERVAL_LOW : SMOKE_INTERVAL) {
    setup(World::frame(World::frames("atomBomb"), 0), nullptr, nullptr, nullptr);
    points = POINTS;
    setEnergy(ENERGY);
    collisionSensitivity = 0.5f;
    bHitsPalms = true;
}

AtomBomb::~AtomBomb() {}

void AtomBomb::onSpawn() {
    position = getSpawnPosition(tint == 0 ? PLACE_SIDE_OR_TOP : PLACE_SIDE);
    const V3 island = islandPosition();
    heading = std::atan2(island.y - position.y, island.x - position.x) + World::fraction() * PI / 2.0f - AIM_ERROR;
    updateVisuals();
}

void AtomBomb::tick(double, double dt) {
    if (!targetPalm) targetPalm.set(randomTargetPalm());
    // Without a palm the bomb heads for the island (or the origin).
    const V3 goal = targetPalm ? targetPalm->boundsCenter : islandPosition();
    const float desired = std::atan2(goal.y - position.y, goal.x - position.x);
    const float delta = angleDelta(heading, desired);
    const float most = turnRate * float(dt);
    if (std::fabs(delta) > most)
        heading += delta > 0.0f ? most : -most;
    else
        heading = desired;

    rotation.z = heading;
    updateVisuals();
    velocity = V3(speed * std::cos(heading), speed * std::sin(heading), 0.0f);

    smokeTimer += dt;
    if (smokeTimer >= smokeInterval) {
        smokeTimer = 0.0;
        if (World::detail() > 0) {
            const float back = heading + PI;
            const V3 behind(position.x + SMOKE_BEHIND * std::cos(back), position.y + SMOKE_BEHIND * std::sin(back),
                            position.z);
            Emission puff(behind);
            puff.particles(1).speeds(25.0f, 50.0f).toward(back).spreading(PI / 4.0f);
            World::add(GameController::LAYER_SMOKE, new Smoke(puff, SMOKE_GREY), true);
        }
    }
    GameObject::step(dt);
}

void AtomBomb::onDestroyed(GameObject*) {
    explode(0.0f, 50.0f);
    playExplosionShort(position, 0.0f, 0.5f);
    bDestroyPending = true;
}

void AtomBomb::onEnterWater() { splashDown(); }
