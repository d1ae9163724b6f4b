#include "Bomber.h"

#include "audio/SoundChannel.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "world/weapons/BomberBomb.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const UColor BLACK(0, 0, 0, 255);
const double SMOKE_INTERVAL_LOW = 0.045; // graphics detail 0
const double SMOKE_INTERVAL = 0.015;
} // namespace

Bomber::Bomber()
    : pictures(World::frames("bomber")),
      smokeInterval(World::detail() == 0 ? SMOKE_INTERVAL_LOW : SMOKE_INTERVAL),
      engineChannel(new SoundChannel(World::sound("bomberEngine"))) {
    setup(World::frame(pictures, 0), nullptr, nullptr, nullptr);
    propeller.setup(World::frame(pictures, 1), nullptr, nullptr, nullptr);
    points = POINTS;
    setEnergy(ENERGY);
    collisionSensitivity = 0.5f;
}

Bomber::~Bomber() {
    engineChannel->stop();
    engineChannel->deleteMe();
}

void Bomber::onSpawn() {
    position = getSpawnPosition(PLACE_SIDE);
    cruiseSpeed = float(directionToCentre(position)) * (CRUISE_SPEED + CRUISE_SPEED_HARD * difficulty);
    velocity.x = cruiseSpeed;
    // Flying left: both pictures turned about the vertical axis; the heading stays 0.
    if (cruiseSpeed < 0.0f) rotation = V3(0.0f, PI, 0.0f);
    updateVisuals();
    propeller.setup(nullptr, &position, &rotation, nullptr);
}

void Bomber::tick(double, double dt) {
    GameObject::step(dt);

    frameTimer += dt;
    if (frameTimer >= PROPELLER_PERIOD) {
        frameTimer = 0.0;
        frame = 1 - frame;
        propeller.pSkin = World::frame(pictures, frame + 1);
    }

    bombTimer += dt;
    if (bombTimer >= bombInterval) {
        bombTimer = 0.0;
        bombInterval = BOMB_INTERVAL_MIN + World::fraction();
        World::add(GameController::LAYER_ENEMY_PROJECTILES,
                   new BomberBomb(position.x, position.y, position.z, 0.0f, 0.0f, 0.0f, rotation.x, rotation.y,
                                  rotation.z));
        World::playAt("bomberDropBomb", position);
    }

    propeller.setup(nullptr, &position, &rotation, nullptr);

    if (energy != maxEnergy) {
        smokeTimer += dt;
        if (smokeTimer >= smokeInterval) {
            smokeTimer = 0.0;
            const V3 at = local2world(V3(-SMOKE_BEHIND, 0.0f, 0.0f));
            const UColor colour(BLACK, UColor::WHITE, energy / maxEnergy);
            Emission puff(at);
            puff.particles(1).speeds(25.0f, 60.0f).toward(heading + PI).spreading(HALF_PI).scaled(1.5f);
            World::add(GameController::LAYER_SMOKE, new Smoke(puff, colour), true);
        }
    }

    engineChannel->setPanFromX(position);
    if (!engineChannel->isPlaying()) engineChannel->play();
}

void Bomber::render() {
    Renderable::render();
    propeller.render();
}

void Bomber::onHit(GameObject*, float) {
    const float f = 1.0f - 0.5f * (maxEnergy - energy) / maxEnergy;
    velocity.x = f * cruiseSpeed;
    engineChannel->setFrequency(f, 0.0);
}

void Bomber::onDestroyed(GameObject*) {
    Emission pieces(position);
    pieces.particles(8 + 6 * World::detail()).speeds(25.0f, 60.0f).spreading(TWO_PI).scaled(3.0f);
    World::add(GameController::LAYER_FIREWORKS, new Explosion(pieces));
    playExplosionShort(position, -0.5f, 0.0f);
    bDestroyPending = true;
}
