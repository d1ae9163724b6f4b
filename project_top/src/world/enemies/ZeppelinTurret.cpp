#include "ZeppelinTurret.h"

#include "util/PlimUtil.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Explosion.h"
#include "Zeppelin.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float DOWN = 3.0f * PI / 2.0f;
const double SHAKE = 0.005;
const double SHAKE_TIME = 1.0;
} // namespace

ZeppelinTurret::ZeppelinTurret(float energy) {
    points = POINTS;
    setEnergy(energy);
    pSkin = World::frame(World::frames("zeppelin"), Zeppelin::TURRET_PICTURE);
    scale = V3(Zeppelin::SCALE, Zeppelin::SCALE, 1.0f);
    updateVisuals();
}

ZeppelinTurret::~ZeppelinTurret() {}

void ZeppelinTurret::ride() {
    Zeppelin* airship = zeppelin.get();
    if (!airship) return;
    position = airship->worldPoint(mountOffset);
    updateVisuals();
    rotation = airship->rotation;
    updateVisuals();
}

void ZeppelinTurret::tick(double, double) {
    if (!zeppelin.get()) {
        bDestroyPending = true;
        return;
    }
    ride();
}

void ZeppelinTurret::onDestroyed(GameObject* by) {
    Emission pieces(boundsCenter);
    pieces.particles(6 * World::detail() + 4).speeds(25.0f, 50.0f).toward(DOWN).spreading(HALF_PI).scaled(1.5f);
    World::add(GameController::LAYER_FIREWORKS, new Explosion(pieces));
    playExplosionShort(position, -0.5f, 0.0f);
    // Known before the airship hears of it, so the last turret's shooter
    // counts as the airship's.
    destroyedByOwner = by ? by->owner : -1;
    if (Zeppelin* airship = zeppelin.get()) airship->onTurretDestroyed(this);
    GameObject::onDestroyed(by);
    if (GameController* game = GameController::current()) game->shakeCamera(SHAKE, SHAKE_TIME);
}
