#include "Vehicle.h"

#include "core/Context.h"
#include "core/Plim.h"
#include "input/PlimInput.h"
#include "app/MyGlobal.h"
#include "modes/GameController.h"
#include "world/weapons/Weapon.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

const int MOUSE_FIRST = 0;
const int MOUSE_SECOND = 1;

} // namespace

Vehicle::Vehicle(int owner) : GameObject(owner) {
    if (GameController* game = GameController::current()) {
        offensivePreference = game->aiOffensive;
        defensivePreference = game->aiDefensive;
        bonusPreference = game->aiBonus;
    }
    setEnergy(initialEnergy);
}

Vehicle::~Vehicle() {
    BasicLink::deleteIfSet(weapon);
    weapon = nullptr;
}

void Vehicle::tick(double, double dt) {
    blasterEnergy = float(double(blasterEnergy) + double(blasterRegeneration) * dt * REGENERATION_PER_SECOND);
    if (blasterEnergy > maxBlasterEnergy) blasterEnergy = maxBlasterEnergy;
}

bool Vehicle::useEnergy(float amount) {
    if (amount > blasterEnergy) return false;
    GameController* game = GameController::current();
    if (!game || !game->bNoBlaster) blasterEnergy -= amount;
    return true;
}

void Vehicle::clearInput() {
    bIncrease = bDecrease = bTurnLeft = bTurnRight = bFirePressed = bFireHeld = false;
}

void Vehicle::steer(float t) {
    if (bIncrease) speed += speedChangeRate * t;
    if (bDecrease) speed -= speedChangeRate * t;
    if (speed < minSpeed) speed = minSpeed;
    if (speed > maxSpeed) speed = maxSpeed;
    if (bTurnLeft) {
        float step = turnRate * t;
        if (bMouseControl) step = std::fmin(step, std::fabs(angleDelta(heading, mouseHeading)));
        heading += step;
    }
    if (bTurnRight) {
        float step = turnRate * t;
        if (bMouseControl) step = std::fmin(step, std::fabs(angleDelta(heading, mouseHeading)));
        heading -= step;
    }
}

void Vehicle::resetBonuses() {
    bonusMarkers.destroyChildren();
    maxBlasterEnergy = 1.0f;
    damageDealtFactor = 1.0f;
    damageTakenFactor = 1.0f;
    if (blasterEnergy > 1.0f) blasterEnergy = 1.0f;
}

float Vehicle::aimAt(GameObject* target, bool bLead, float ax, float ay, float az) {
    const V3 a(ax, ay, az);
    const bool gravity = ax != 0.0f || ay != 0.0f || az != 0.0f;
    const int iterations = gravity ? 3 : 1;
    V3 aim = target->position;
    for (int i = 0; i < iterations; ++i) {
        const V3 d = aim - position;
        const float distance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        // A vehicle standing still gets no lead rather than an infinite one.
        const float t = speed != 0.0f ? distance / speed : 0.0f;
        aim = target->position - a * (t * t * 0.5f);
        if (bLead) aim = aim + target->velocity * t + target->acceleration * (t * t * 0.5f);
    }
    const float desired = std::atan2(aim.y - position.y, aim.x - position.x);
    const int d = turnDirection(heading, desired);
    bTurnRight = d < 0;
    bTurnLeft = d > 0;
    return angleDelta(heading, desired);
}

int Vehicle::keySet() const {
    GameController* game = GameController::current();
    const bool twoHumans = game && game->playerCount - 2 == game->computerPlayers;
    const int set = owner < 0 ? 0 : owner;
    return twoHumans ? 1 - set : set;
}

void Vehicle::readControls() {
    if (!bControlsEnabled || !PLIM || !PLIM->input || !gGlobal) return;
    if (bMouseControl)
        readMouse();
    else
        readKeys();
}

void Vehicle::readKeys() {
    const PlimInput* input = PLIM->input;
    const int set = keySet();
    if (set < 0 || set >= SaveData::PLAYER_COUNT) return;
    const auto key = [&](Action action) { return gGlobal->saveData.keys[action][set]; };
    bIncrease = input->isKeyDown(key(ACTION_INCREASE));
    bDecrease = input->isKeyDown(key(ACTION_DECREASE));
    bTurnLeft = input->isKeyDown(key(ACTION_TURN_LEFT));
    bTurnRight = input->isKeyDown(key(ACTION_TURN_RIGHT));
    bFirePressed = input->isKeyPressed(key(ACTION_FIRE));
    bFireHeld = input->isKeyDown(key(ACTION_FIRE));
}

void Vehicle::readMouse() {
    const PlimInput* input = PLIM->input;
    const Context* context = PLIM->currentContext;
    const V3 mouse = context ? context->mouseWorld : V3(0.0f, 0.0f, 0.0f);
    float angle = std::atan2(mouse.y - position.y, mouse.x - position.x);
    // A pointer below the horizon aims a limited arc at its nearer end.
    if (angle < 0.0f && maxHeading < TWO_PI) angle = angle <= -HALF_PI ? maxHeading : minHeading;
    mouseHeading = wrapAngle(angle);
    const int d = turnDirection(heading, mouseHeading);
    bTurnRight = d < 0;
    bTurnLeft = d > 0;

    const int set = keySet();
    const bool validSet = set >= 0 && set < SaveData::PLAYER_COUNT;
    const float wheel = input->mouseDelta[2];
    const float step = (maxSpeed - minSpeed) * MOUSE_SPEED_STEP;
    if (wheel > 0.0f || (validSet && input->isKeyDown(gGlobal->saveData.keys[ACTION_INCREASE][set])))
        mouseTargetSpeed += step;
    if (wheel < 0.0f || (validSet && input->isKeyDown(gGlobal->saveData.keys[ACTION_DECREASE][set])))
        mouseTargetSpeed -= step;
    if (mouseTargetSpeed < minSpeed) mouseTargetSpeed = minSpeed;
    if (mouseTargetSpeed > maxSpeed) mouseTargetSpeed = maxSpeed;
    bIncrease = speed < mouseTargetSpeed;
    bDecrease = speed > mouseTargetSpeed;

    bFirePressed = (input->buttonsNow[MOUSE_FIRST] && !input->buttonsPrevious[MOUSE_FIRST]) ||
                   (input->buttonsNow[MOUSE_SECOND] && !input->buttonsPrevious[MOUSE_SECOND]);
    bFireHeld = input->buttonsNow[MOUSE_FIRST] || input->buttonsNow[MOUSE_SECOND];
}
