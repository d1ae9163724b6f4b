#include "TestVehicle.h"

#include "MatchResources.h"
#include "audio/Sound.h"
#include "ThrownObject.h"
#include "modes/GameController.h"
#include "modes/PlayerData.h"

#include <cmath>

TestVehicle::TestVehicle(int owner, V3 at, float startHeading) : Vehicle(owner) {
    position = at;
    heading = startHeading;
    rotation.z = startHeading;
    baseTurnRate = turnRate = 2.0f;
    minSpeed = 50.0f;
    baseMaxSpeed = maxSpeed = 200.0f;
    speed = mouseTargetSpeed = 100.0f;
    speedChangeRate = 100.0f;
    points = 1000;
    pSkin = MatchResources::skin("biplane:0");
    if (PlayerData* record = GameController::currentPlayer(owner)) {
        record->pVehicle.set(this);
        // A computer player's vehicle flies on untouched.
        bControlsEnabled = record->bHuman;
    }
}

void TestVehicle::tick(double time, double dt) {
    Vehicle::tick(time, dt);
    clearInput();
    readControls();
    const float step = float(dt);
    if (bTurnLeft) heading += turnRate * step;
    if (bTurnRight) heading -= turnRate * step;
    if (bIncrease) speed = std::min(maxSpeed, speed + speedChangeRate * step);
    if (bDecrease) speed = std::max(minSpeed, speed - speedChangeRate * step);
    heading = wrapAngle(heading);
    velocity = V3(std::cos(heading) * speed, std::sin(heading) * speed, 0.0f);
    rotation.z = heading;
    GameObject::step(dt);
    if (bFirePressed && useEnergy(SHOT_COST)) {
        ++shots;
        const V3 ahead(std::cos(heading), std::sin(heading), 0.0f);
        V3 at = position + ahead * 40.0f;
        GameController* match = GameController::current();
        auto* shot = new ThrownObject(owner, at, velocity + ahead * SHOT_SPEED);
        match->layer(GameController::LAYER_BULLETS)->addChild(shot);
        shot->updateVisuals();
        MatchResources::sound("bulletFire")->playAt(position);
    }
}

void TestVehicle::onDestroyed(GameObject* by) {
    // The shared sound's pitch range is the caller's to set.
    Sound* bang = MatchResources::sound("explosionLong");
    bang->pitchMin = -0.1f;
    bang->pitchMax = 0.1f;
    bang->playAt(position);
    GameObject::onDestroyed(by);
}
