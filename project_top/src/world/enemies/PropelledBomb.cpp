#include "PropelledBomb.h"

#include "util/Random.h"
#include "render/Texture.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float COLLISION_SENSITIVITY = 0.75f;
const float BASE_SPEED = 32.0f;
const float MAX_AIM_ERROR = 3.0f * PI / 8.0f;
const float BANK_SPEED = 64.0f; // sideways speed of a one-radian bank
const float PUSH_KEPT = 0.25f;
const float MAX_SPIN = 8.0f * PI;
} // namespace

PropelledBomb::PropelledBomb() : frames(World::frames("propelledBomb")), bodyFrame(FIRST_BODY + Random::next() % 15) {
    points = POINTS;
    setEnergy(ENERGY);
    bHitsPalms = true;
    collisionSensitivity = COLLISION_SENSITIVITY;
    setStateRaw(STATE_FLYING);
    rotation.z = World::fraction() - 0.5f;
    pSkin = World::frame(frames, bodyFrame);
    updateVisuals();
    overlay.setup(World::frame(frames, overlayFrame), &position, &rotation, nullptr);
    overlay.updateVisuals();
}

PropelledBomb::~PropelledBomb() {}

void PropelledBomb::onSpawn() {
    if (tint != TINT_PLACED_BY_CREATOR) {
        position = getSpawnPosition(tint == 0 ? 3 : 2);
        updateVisuals();
    }
    speed = BASE_SPEED + BASE_SPEED * difficulty;
    targetPalm.set(randomTargetPalm());
    World::playAt("propelledBombEntry", position);
}

void PropelledBomb::tick(double, double dt) {
    step(dt);
    if (state == STATE_WRECK) {
        rotation.z += spinRate * float(dt);
        updateVisuals();
    } else {
        animate(dt);
        steerTimer += dt;
        if (steerTimer >= steerInterval) {
            steerTimer = 0.0;
            steer();
        }
    }
    overlay.position = position;
    overlay.rotation = rotation;
    overlay.updateVisuals();
}

void PropelledBomb::animate(double dt) {
    frameTimer += dt;
    if (frameTimer < frameInterval) return;
    frameTimer = 0.0;
    overlayFrame = overlayFrame >= OVERLAY_FRAMES - 1 ? 0 : overlayFrame + 1;
    bodyFrame += frameStep;
    if (bodyFrame <= FIRST_BODY) frameStep = 1;
    if (bodyFrame >= LAST_BODY) frameStep = -1;
    Skin* body = World::frame(frames, bodyFrame);
    if (body != pSkin) {
        pSkin = body;
        updateVisuals();
    }
    Skin* rotor = World::frame(frames, overlayFrame);
    if (rotor != overlay.pSkin) {
        overlay.pSkin = rotor;
        overlay.updateVisuals();
    }
}

void PropelledBomb::steer() {
    // Without a palm the island is the target.
    GameObject* palm = targetPalm.get();
    const V3 aim = palm ? palm->boundsCenter : islandPosition();
    const V3 d = aim - position;
    const float distance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const float spread = MAX_AIM_ERROR * difficulty * (distance - EXACT_AIM_DISTANCE) / AIM_ERROR_SPAN;
    heading = std::atan2(d.y, d.x) + spread * (2.0f * World::fraction() - 1.0f);
    velocity = V3(std::cos(heading) * speed, std::sin(heading) * speed, 0.0f);
    // Under water within the coming second: climb instead.
    if (position.y + velocity.y < WATER_LINE) velocity.y = std::fabs(velocity.y);
    rotation.z = -velocity.x / BANK_SPEED;
    updateVisuals();
}

void PropelledBomb::render() {
    Renderable::render();
    if (state == STATE_FLYING) overlay.render();
}

void PropelledBomb::onHit(GameObject* by, float) {
    if (!by) return;
    velocity.x += PUSH_KEPT * by->velocity.x;
    velocity.y += PUSH_KEPT * by->velocity.y;
    velocity.z += PUSH_KEPT * by->velocity.z;
    float c = (std::cos(by->heading) + 1.0f) / 2.0f;
    if (c < 0.0f) c = 0.0f;
    if (c > 1.0f) c = 1.0f;
    spinRate = 2.0f * MAX_SPIN * c - MAX_SPIN;
}

void PropelledBomb::onDestroyed(GameObject*) {
    explode(0.0f, 50.0f);
    playExplosionShort(position, 0.0f, 0.5f);
    // The wreck stays in play: it falls until it sinks or leaves the view.
    acceleration = V3(0.0f, -WRECK_GRAVITY, 0.0f);
    bHitsPalms = false;
    setState(STATE_WRECK);
}

void PropelledBomb::onEnterWater() { splashDown(); }
