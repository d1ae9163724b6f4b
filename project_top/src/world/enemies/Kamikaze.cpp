#include "Kamikaze.h"

#include "render/Texture.h"
#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Splash.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {
const float DOWN = 3.0f * PI / 2.0f;
const float COLLISION_SENSITIVITY = 0.75f;
} // namespace

Kamikaze::Kamikaze() : frames(World::frames("kamikaze")) {
    points = POINTS;
    setEnergy(ENERGY);
    acceleration = V3(0.0f, -GRAVITY, 0.0f);
    collisionSensitivity = COLLISION_SENSITIVITY;
    bHitsPalms = true;
    pSkin = World::frame(frames, 0);
    overlay.pSkin = World::frame(frames, frame + 1);
    updateVisuals();
}

Kamikaze::~Kamikaze() {}

void Kamikaze::onSpawn() {
    position = getSpawnPosition(4);
    updateVisuals();
    const V3 island = islandPosition();
    const float a = std::atan2(island.y - position.y, island.x - position.x);
    // The deviation from straight down is doubled.
    heading = DOWN + 2.0f * (a - DOWN);
    const float speed = BASE_SPEED * (1.0f + difficulty * World::fraction());
    velocity = V3(std::cos(heading) * speed, std::sin(heading) * speed, 0.0f);
    rotation.z = heading;
    updateVisuals();
    overlay.setup(nullptr, &position, &rotation, nullptr);
    overlay.updateVisuals();
    World::playAt("kamikazeEntry", position);
}

void Kamikaze::tick(double, double dt) {
    step(dt);
    frameTimer += dt;
    if (frameTimer >= frameInterval) {
        frameTimer = 0.0;
        frame = 1 - frame;
        Skin* skin = World::frame(frames, frame + 1);
        if (skin != overlay.pSkin) {
            overlay.pSkin = skin;
            overlay.updateVisuals();
        }
    }
    overlay.position = position;
    overlay.rotation = rotation;
    overlay.updateVisuals();
}

void Kamikaze::render() {
    Renderable::render();
    overlay.render();
}

void Kamikaze::onDestroyed(GameObject* by) {
    explode(25.0f, 50.0f);
    playExplosionShort(position, 0.0f, 0.5f);
    GameObject::onDestroyed(by);
}

void Kamikaze::onEnterWater() {
    if (World::detail() > 0) {
        Emission drops(position);
        drops.particles(25).speeds(0.0f, 300.0f).toward(HALF_PI).spreading(HALF_PI).scaled(2.0f);
        World::add(GameController::LAYER_FIREWORKS, new Splash(drops));
    }
    World::playAt("largeSplash", position);
    bDestroyPending = true;
}
