#include "Rocket.h"

#include "modes/GameController.h"
#include "world/World.h"
#include "world/effects/Smoke.h"
#include "util/PlimMath.h"

#include <cmath>

Rocket::Rocket(int owner, float x, float y, float z, float angle, float speed) : Projectile(owner) {
    contactDamage = 1.0f;
    velocity = V3(speed * std::cos(angle), speed * std::sin(angle), 0.0f);
    heading = angle;
    collisionSensitivity = 0.5f;
    const V3 at(x, y, z);
    const V3 turned(0.0f, 0.0f, angle);
    setup(picture(PICTURE_ROCKET), &at, &turned, nullptr);
}

Rocket::~Rocket() {}

void Rocket::tick(double, double dt) {
    step(dt);
    if (World::detail() <= 0) return;
    smokeTimer += dt;
    if (smokeTimer < SMOKE_INTERVAL) return;
    smokeTimer = 0.0;
    const float back = heading + PI;
    // At the front of the layer: the newest puff is drawn beneath the older ones.
    const V3 behind(position.x + TRAIL_OFFSET * std::cos(back), position.y + TRAIL_OFFSET * std::sin(back), position.z);
    Emission puff(behind);
    puff.particles(2).speeds(25.0f, 50.0f).toward(heading).spreading(PI / 4.0f);
    World::add(GameController::LAYER_SMOKE, new Smoke(puff, UColor::WHITE), true);
}

void Rocket::onEnterWater() { sink(); }

void Rocket::onDestroyed(GameObject *by) {
    GameObject::onDestroyed(by);
    World::add(GameController::LAYER_FIREWORKS,
               new Smoke(Emission(position).particles(10).speeds(0.0f, 40.0f).spreading(TWO_PI).scaled(2.0f), UColor::WHITE));
    World::playAt("missileHit", position);
}
