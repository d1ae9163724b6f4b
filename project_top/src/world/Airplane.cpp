#include "Airplane.h"

#include "render/Camera.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "audio/SoundChannel.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "AirplaneSkin.h"
#include "CameraFollowPlayer.h"
#include "CameraStatic.h"
#include "World.h"
#include "world/effects/Explosion.h"
#include "world/effects/Smoke.h"
#include "world/effects/Splash.h"
#include "world/weapons/Weapon.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float P35_TURN_RATE = 1.5f * PI;
const float COLLISION_SENSITIVITY = 0.75f;
const double HIT_SHAKE = 0.005;
const double CRASH_SHAKE = 0.01;
const double SHAKE_TIME = 1.0;
const UColor FINDER_COLOUR(0, 0, 0, 0x80);
const float FINDER_SCALE = 0.5f;
const float ENGINE_PITCH_RANGE = 0.5f;

CameraBlender* cameraBlender() {
    GameController* game = GameController::current();
    return game && game->scene ? game->scene->getCameraBlender() : nullptr;
}

void addCamera(CameraBlenderFactor* camera) {
    if (CameraBlender* blender = cameraBlender())
        blender->addChild(camera);
    else
        camera->deleteMe();
}

float defaultCameraDistance() { return -0.5f * float(Camera::fovWidth()); }
} // namespace

Airplane::Airplane(int owner)
    : Vehicle(owner),
      smokeInterval(World::detail() == 0 ? SMOKE_INTERVAL_LOW : SMOKE_INTERVAL),
      engineSound(new SoundChannel(World::sound("engine"))),
      skin(new AirplaneSkin()) {
    points = POINTS;
    heading = float(owner) * PI;
    minSpeed = MIN_SPEED;
    maxSpeed = baseMaxSpeed = MAX_SPEED;
    speedChangeRate = SPEED_CHANGE_RATE;
    turnRate = baseTurnRate = PI;
    if (PlayerData* data = GameController::currentPlayer(owner)) color = data->color;
    collisionSensitivity = COLLISION_SENSITIVITY;
    pSkin = skin;
    bOwnsSkin = true;
    setState(STATE_FLYING);
}

Airplane::~Airplane() {
    engineSound->stop();
    engineSound->deleteMe();
}

void Airplane::setModel(int model) {
    if (model == MODEL_BIPLANE) {
        skin->setPictures("biplane", "biplane-markings");
        maxSpeed = MAX_SPEED;
        turnRate = PI;
    } else if (model == MODEL_P35) {
        skin->setPictures("p35", "p35-markings");
        maxSpeed = P35_MAX_SPEED;
        turnRate = P35_TURN_RATE;
    }
}

float Airplane::enginePitch(float flyingSpeed) const {
    return (flyingSpeed - minSpeed) / (baseMaxSpeed - minSpeed) * ENGINE_PITCH_RANGE + 1.0f;
}

void Airplane::tick(double time, double dt) {
    if (!isActive()) return;
    // Only for the time in state: the plane never asks for a delayed change.
    StateBase::advance(time, dt);
    Vehicle::tick(time, dt);
    clearInput();
    readControls();
    const V3 p = position;
    const float t = float(dt);

    if (state == STATE_FLYING) {
        steer(t);
        velocity.x = std::cos(heading) * speed;
        velocity.y = std::sin(heading) * speed;
    } else if (state == STATE_SHOT_DOWN) {
        // The wreck spins clockwise and keeps falling along its last path.
        heading -= turnRate * t;
        smokeTimer += dt;
        if (smokeTimer >= smokeInterval) {
            smokeTimer = 0.0;
            smoke(p);
        }
    }

    heading = wrapAngle(heading);
    if (heading < minHeading) heading = minHeading;
    if (heading > maxHeading) heading = maxHeading;

    if (weapon && weapon->canFire(time)) weapon->fire(p.x, p.y, p.z, heading, speed * shotSpeedFactor);

    velocity += acceleration * t;
    V3 next = p + velocity * t;
    if (next.y < WATER_LINE) crash(next);
    position = next;
    updateVisuals();

    // The crash silenced the engine for good.
    if (!isActive()) return;
    engineSound->setPanFromX(position);
    engineSound->setFrequency(enginePitch(std::sqrt(velocity.x * velocity.x + velocity.y * velocity.y +
                                                    velocity.z * velocity.z)),
                              0.0);
    if (!engineSound->isPlaying()) engineSound->play();
}

void Airplane::smoke(const V3& at) {
    double fade = timeInState / SMOKE_DARKEN_TIME;
    if (fade > 1.0) fade = 1.0;
    const uint8_t grey = uint8_t(std::lround(255.0 * (1.0 - fade)));
    Emission puff(at);
    puff.particles(2).speeds(25.0f, 100.0f).toward(HALF_PI).spreading(HALF_PI);
    World::add(GameController::LAYER_BEAMS, new Smoke(puff, UColor(grey, grey, grey, 255)), true);
    if (World::detail() > 0)
        World::add(GameController::LAYER_BEAMS,
                   new Explosion(Emission(at).particles(2).speeds(15.0f, 50.0f).toward(HALF_PI).spreading(HALF_PI)));
}

void Airplane::crash(V3& at) {
    Emission drops(at);
    drops.particles(25).speeds(0.0f, 300.0f).toward(HALF_PI).spreading(HALF_PI).scaled(2.0f);
    World::add(GameController::LAYER_FIREWORKS, new Splash(drops));
    World::playAt("largeSplash", at);
    addCamera(new CameraStatic(at.x, at.y, defaultCameraDistance()));
    if (GameController* game = GameController::current()) game->shakeCamera(CRASH_SHAKE, SHAKE_TIME);
    if (state == STATE_FLYING) {
        if (PlayerData* data = GameController::currentPlayer(owner)) data->addScore(-CRASH_PENALTY);
    }
    setState(STATE_GONE);
    at.y = WATER_LINE;
}

void Airplane::render() {
    if (!isActive()) return;
    skin->heading = heading;
    Renderable::render();
}

void Airplane::onDestroyed(GameObject*) {
    if (state == STATE_FLYING) setState(STATE_SHOT_DOWN);
}

void Airplane::onHit(GameObject*, float) {
    if (GameController* game = GameController::current()) game->shakeCamera(HIT_SHAKE, SHAKE_TIME);
    World::playAt("planeHit", position);
}

void Airplane::drawFinder(V3 point) {
    skin->heading = heading;
    // Borrows the skin: the marker neither owns nor deletes it.
    Renderable marker;
    const V3 half(FINDER_SCALE, FINDER_SCALE, 1.0f);
    marker.setup(skin, &point, nullptr, &half);
    marker.color = FINDER_COLOUR;
    const bool bodyOnly = skin->bBodyOnly;
    skin->bBodyOnly = true;
    marker.render();
    skin->bBodyOnly = bodyOnly;
}

void Airplane::replaceEngineSound(const char* name) {
    engineSound->stop();
    engineSound->deleteMe();
    engineSound = new SoundChannel(World::sound(name));
}

void Airplane::onStateChange() {
    if (state == STATE_SHOT_DOWN) {
        addCamera(new CameraFollowPlayer(owner));
        acceleration = V3(0.0f, -FALL_GRAVITY, 0.0f);
        replaceEngineSound("engineSpinning");
    } else if (state == STATE_GONE) {
        if (GameController* game = GameController::current()) game->onPlayerDie(owner);
        engineSound->stop();
    }
}
