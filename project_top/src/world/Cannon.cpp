#include "Cannon.h"

#include "render/Texture.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "World.h"
#include "world/weapons/Weapon.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const UColor FINDER_COLOUR(0, 0, 0, 0x80);
const float FINDER_SCALE = 0.5f;

Skin *picture(int index) { return World::frame(World::frames("cannon"), index); }
} // namespace

Cannon::Cannon(int owner) : Vehicle(owner) {
    turnRate = baseTurnRate = PI / 2.0f;
    heading = mouseHeading = PI / 2.0f;
    // The barrel never points below the horizon.
    minHeading = PI / 256.0f;
    maxHeading = PI - PI / 256.0f;
    minSpeed = 250.0f;
    maxSpeed = baseMaxSpeed = speed = mouseTargetSpeed = 500.0f;
    speedChangeRate = 400.0f;
    barrel.setup(picture(PICTURE_BARREL), nullptr, nullptr, nullptr);
    base.setup(picture(PICTURE_BASE), nullptr, nullptr, nullptr);
    if (PlayerData *data = GameController::currentPlayer(owner)) base.color = data->color;
    setup(picture(PICTURE_HOUSING), nullptr, nullptr, nullptr);
}

Cannon::~Cannon() {}

void Cannon::tick(double time, double dt) {
    Vehicle::tick(time, dt);
    clearInput();
    readControls();
    // A cannon placed after construction has its barrel there before the
    // first shot, not at the origin.
    if (!bPartsPlaced) placeParts();

    const float t = float(dt);
    steer(t);
    if (heading < minHeading) heading = minHeading;
    if (heading > maxHeading) heading = maxHeading;

    if (weapon && weapon->canFire(time)) {
        recoil = 1.0f;
        // From the barrel as it stood in the previous frame.
        weapon->fire(barrel.position.x + MUZZLE_DISTANCE * std::cos(heading),
                     barrel.position.y + MUZZLE_DISTANCE * std::sin(heading), barrel.position.z, heading, speed);
    }
    recoil -= RECOIL_RECOVERY * t;
    if (recoil < 0.0f) recoil = 0.0f;
    if (recoil > 1.0f) recoil = 1.0f;
    placeParts();
}

void Cannon::placeParts() {
    bPartsPlaced = true;
    base.position = position;
    base.updateVisuals();
    const float kick = RECOIL_KICK * recoil * recoil;
    barrel.position = V3(position.x - kick * std::cos(heading), position.y - kick * std::sin(heading), position.z);
    barrel.rotation = V3(0.0f, 0.0f, heading);
    barrel.updateVisuals();
}

void Cannon::render() {
    barrel.render();
    Renderable::render();
    base.render();
}

void Cannon::drawFinder(V3 point) {
    Renderable marker;
    const V3 half(FINDER_SCALE, FINDER_SCALE, 1.0f);
    marker.setup(pSkin, &point, nullptr, &half);
    marker.color = FINDER_COLOUR;
    marker.render();
    marker.setup(barrel.pSkin, nullptr, &barrel.rotation, nullptr);
    marker.render();
}
