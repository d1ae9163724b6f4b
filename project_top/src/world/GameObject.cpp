#include "GameObject.h"

#include "render/Camera.h"
#include "core/Context.h"
#include "core/Plim.h"
#include "util/PlimMath.h"
#include "util/Rect.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "Vehicle.h"

GameObject::GameObject(int owner) : owner(owner) {}

GameObject::~GameObject() {}

void GameObject::tick(double, double dt) { step(dt); }

void GameObject::setEnergy(float value) {
    energy = value;
    maxEnergy = value;
}

float GameObject::wrapAngle(float angle) { return ::wrapAngle(angle); }

int GameObject::turnDirection(float from, float to) {
    const float a = wrapAngle(from);
    const float b = wrapAngle(to);
    if (a < b) return b - a < PI ? 1 : -1;
    if (b < a) return a - b < PI ? -1 : 1;
    return 0;
}

float GameObject::angleDelta(float from, float to) {
    const float a = wrapAngle(from);
    const float b = wrapAngle(to);
    float d = b - a;
    if (b > a && d >= PI) d -= TWO_PI;
    if (b < a && a - b >= PI) d += TWO_PI;
    return d;
}

float GameObject::timeToHeight(float y) const {
    const float p = position.y;
    const float v = velocity.y;
    const float g = acceleration.y;
    // Without gravity the path is a straight line; a height it never reaches
    // gives the time of the apex, where it comes closest.
    if (g == 0.0f) return v == 0.0f ? 0.0f : (y - p) / v;
    const float d = v * v - 2.0f * g * (p - y);
    if (d <= 0.0f) return -v / g;
    return (-v - std::sqrt(d)) / g;
}

float GameObject::xAtHeight(float y) const { return position.x + timeToHeight(y) * velocity.x; }

float GameObject::takeDamage(GameObject* from, float amount) {
    if (amount == 0.0f) return 0.0f;
    if (owner >= 0 && GameController::currentVehicle(owner)) {
        if (!bSharedDamage) {
            amount *= GameController::currentVehicle(owner)->damageTakenFactor;
        } else {
            // Only the players that have a vehicle have a factor to apply.
            GameController* game = GameController::current();
            for (int i = 0; i < game->playerCount && i < GameController::PLAYERS; ++i) {
                Vehicle* v = GameController::currentVehicle(i);
                if (v) amount *= v->damageTakenFactor;
            }
        }
    }
    const float taken = amount < energy ? amount : energy;
    energy -= taken;
    onHit(from, taken);
    if (taken > 0.0f && energy <= 0.0f) onDestroyed(from);
    return taken;
}

float GameObject::dealDamage(GameObject* target, float amount) {
    if (amount == 0.0f) return 0.0f;
    float a = float(double(amount) * DAMAGE_DEALT_BONUS);
    if (owner >= 0) {
        Vehicle* v = GameController::currentVehicle(owner);
        if (v) a *= v->damageDealtFactor;
    }
    const float dealt = target->takeDamage(this, a);
    onDamageDealt(target, dealt);
    return dealt;
}

void GameObject::onDestroyed(GameObject*) { bDestroyPending = true; }

void GameObject::onDamageDealt(GameObject* target, float amount) {
    if (owner < 0) return;
    PlayerData* data = GameController::currentPlayer(owner);
    if (!data) return;
    const float share = float(target->points) * (amount / target->maxEnergy);
    data->addScore(int(double(share) + 0.5));
}

void GameObject::onCollision(GameObject* other) { dealDamage(other, contactDamage); }

void GameObject::step(double dt) {
    const float t = float(dt);
    velocity.x += acceleration.x * t;
    velocity.y += acceleration.y * t;
    velocity.z += acceleration.z * t;
    const float oldY = position.y;
    position.x += velocity.x * t;
    position.y += velocity.y * t;
    position.z += velocity.z * t;
    updateVisuals();

    if (bOrientToVelocity) {
        heading = std::atan2(velocity.y, velocity.x);
        rotation.z = heading;
        updateVisuals();
    }

    if (oldY >= WATER_LINE && position.y < WATER_LINE) onEnterWater();

    if (bRemoveOffWorld) removeWhenLeavingView();
}

void GameObject::removeWhenLeavingView() {
    if (bVisible) return;
    Context* context = PLIM ? PLIM->currentContext : nullptr;
    if (!context || !context->camera) return;
    const Rect view = context->camera->getVisibleRect(0.0f);
    if ((position.x < view.left && velocity.x < 0.0f) || (position.x > view.right && velocity.x > 0.0f) ||
        (position.y < view.bottom && velocity.y < 0.0f) || (position.y > view.top && velocity.y > 0.0f))
        bDestroyPending = true;
}
