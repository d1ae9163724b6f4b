#include "WeaponScenarios.h"

#include "ContextBlender.h"
#include "HitTarget.h"
#include "MatchHarness.h"
#include "MatchResources.h"
#include "util/Random.h"
#include "ScriptedController.h"
#include "modes/PlayerData.h"
#include "world/Cannon.h"
#include "world/World.h"
#include "world/pilots/CannonComputerControl.h"
#include "world/weapons/Bomb.h"
#include "world/weapons/WeaponAutoGun.h"
#include "world/weapons/WeaponBomb.h"
#include "world/weapons/WeaponBullet.h"
#include "world/weapons/WeaponCannonBall.h"
#include "util/PlimMath.h"

#include <cmath>

namespace {

using L = GameController;

const float ISLAND_X = 200.0f;
const float ISLAND_Y = -20.0f;
const float CANNON_X = 150.0f;
const float CANNON_Y = 8.0f;
const double WEAPON_TIME = 1.25;
const int KINDS = 10; // six by the controller's switch, four handed over

Cannon* placeCannon(ScriptedController& match, int player, bool computer, float x) {
    Cannon* cannon = computer ? new CannonComputerControl(player) : new Cannon(player);
    cannon->position = V3(x, CANNON_Y, 0.0f);
    cannon->heading = player ? PI * 0.75f : PI * 0.25f;
    cannon->bRemoveOffWorld = false;
    match.place(L::LAYER_CANNONS, cannon);
    match.playerData[player]->pVehicle.set(cannon);
    return cannon;
}

void placeIslands(ScriptedController& match) {
    for (int player = 0; player < L::PLAYERS; ++player) {
        auto* island = new Renderable();
        island->pSkin = MatchResources::skin(player ? "island:1" : "island:0");
        island->position = V3(player ? ISLAND_X : -ISLAND_X, ISLAND_Y, 0.0f);
        island->updateVisuals();
        match.layer(L::LAYER_ISLANDS)->addChild(island);
        match.playerData[player]->pIsland.set(island);
    }
}

// Hands each player the next weapon every WEAPON_TIME seconds.
class WeaponCycler : public PlimBase {
public:
    void tick(double time, double) override {
        if (time < next) return;
        next = time + WEAPON_TIME;
        GameController* match = GameController::current();
        for (int player = 0; player < L::PLAYERS; ++player) {
            Vehicle* vehicle = match->playerData[player]->vehicle();
            if (!vehicle) continue;
            const int kind = (round + 5 * player) % KINDS;
            if (kind < L::WEAPON_COUNT) {
                match->switchWeapon(player, kind, false);
                continue;
            }
            BasicLink::deleteIfSet(vehicle->weapon);
            switch (kind) {
            case 6: vehicle->weapon = new WeaponBomb(player); break;
            case 7: vehicle->weapon = new WeaponBullet(player); break;
            case 8: vehicle->weapon = new WeaponAutoGun(player); break;
            default: vehicle->weapon = new WeaponCannonBall(player); break;
            }
        }
        ++round;
    }
    int round = 0;
    double next = 0.0;
};

// Targets drifting across the sky, a new one every second.
class TargetSource : public PlimBase {
public:
    void tick(double time, double) override {
        if (time < next) return;
        next = time + 1.0;
        const bool fromLeft = (Random::next() & 1) != 0;
        const V3 at(fromLeft ? -330.0f : 330.0f, 120.0f + 160.0f * World::fraction(), 0.0f);
        auto* target = new HitTarget(-1, at, "hotAirBalloon:0", 0.5f);
        target->velocity = V3((fromLeft ? 1.0f : -1.0f) * (40.0f + 40.0f * World::fraction()), 0.0f, 0.0f);
        target->points = 100;
        GameController::current()->layer(L::LAYER_ENEMIES)->addChild(target);
    }
    double next = 0.0;
};

// Bombs of player 0 falling toward player 1's palms, one every 1.5 s.
class BombDropper : public PlimBase {
public:
    void tick(double time, double) override {
        if (time < next) return;
        next = time + 1.5;
        PlayerData* target = GameController::current()->playerData[1];
        GameObject* palm = target->randomAlivePalm();
        const float x = (palm ? palm->position.x : ISLAND_X) - 40.0f + 80.0f * World::fraction();
        World::add(L::LAYER_BOMBS, new Bomb(0, x, 250.0f, 0.0f, 0.0f, -20.0f, 0.0f));
    }
    double next = 0.5;
};

void collideShots(ScriptedController& match, int targets) {
    for (int shots : {L::LAYER_CANNON_BALLS, L::LAYER_SHOTS, L::LAYER_BOMBS, L::LAYER_BULLETS})
        match.collideLayers(shots, targets);
}

// Fire held for 0.4 s of every 0.5 s: single shots fire once a press,
// automatic weapons stream.
void scriptFire(MatchHarness& harness, int keySet, int offset) {
    for (int f = offset; f < 3000; f += 50) harness.scheduleAction(f, f + 40, keySet, Vehicle::ACTION_FIRE);
}

} // namespace

void WeaponScenarios::buildWeapons(ScriptedController& match) {
    placeCannon(match, 0, false, -CANNON_X);
    placeCannon(match, 1, match.computerPlayers > 0, CANNON_X);
    for (int i = 0; i < 3; ++i)
        match.spawnBalloon(-150.0f + 150.0f * float(i), 200.0f + 40.0f * float(i), 0.0f, 90.0, false);
    match.scene->addChild(new WeaponCycler());
    match.scene->addChild(new TargetSource());
    collideShots(match, L::LAYER_ENEMIES);
    collideShots(match, L::LAYER_BALLOONS);
}

void WeaponScenarios::scriptWeapons(MatchHarness& harness, int players) {
    // Player 0 sweeps the barrel up and back down; player 1 the other way.
    const int first = GameController::currentVehicle(0)->keySet();
    scriptFire(harness, first, 5);
    harness.scheduleAction(0, 150, first, Vehicle::ACTION_TURN_LEFT);
    harness.scheduleAction(300, 500, first, Vehicle::ACTION_TURN_RIGHT);
    harness.scheduleAction(600, 700, first, Vehicle::ACTION_DECREASE);
    harness.scheduleAction(700, 800, first, Vehicle::ACTION_TURN_LEFT);
    if (players < 2) return;
    const int second = GameController::currentVehicle(1)->keySet();
    scriptFire(harness, second, 25);
    harness.scheduleAction(0, 150, second, Vehicle::ACTION_TURN_RIGHT);
    harness.scheduleAction(300, 500, second, Vehicle::ACTION_TURN_LEFT);
    harness.scheduleAction(500, 560, second, Vehicle::ACTION_DECREASE);
}

void WeaponScenarios::buildCannon(ScriptedController& match) {
    placeIslands(match);
    for (PlayerData* data : match.playerData) data->createPalms(3, false);
    Cannon* human = placeCannon(match, 0, false, -CANNON_X);
    human->weapon = new WeaponCannonBall(0);
    Cannon* gunner = placeCannon(match, 1, true, CANNON_X);
    gunner->weapon = new WeaponCannonBall(1);
    match.aiSkill = 0.5f;
    for (int i = 0; i < 2; ++i) match.spawnBalloon(-60.0f + 120.0f * float(i), 260.0f, 0.0f, 90.0, false);
    match.scene->addChild(new BombDropper());
    match.collideLayers(L::LAYER_CANNON_BALLS, L::LAYER_BOMBS);
    match.collideLayers(L::LAYER_CANNON_BALLS, L::LAYER_BALLOONS);
    match.collideLayers(L::LAYER_CANNON_BALLS, L::LAYER_CANNONS);
    match.collideLayers(L::LAYER_CANNON_BALLS, L::LAYER_PALMS);
    match.collideLayers(L::LAYER_BOMBS, L::LAYER_PALMS);
}

void WeaponScenarios::scriptCannon(MatchHarness& harness, int) {
    // Player 0 lowers the barrel toward the gunner's island and fires now and
    // then; player 1 is always the computer gunner.
    const int first = GameController::currentVehicle(0)->keySet();
    harness.scheduleAction(0, 40, first, Vehicle::ACTION_TURN_RIGHT);
    harness.scheduleAction(20, 60, first, Vehicle::ACTION_DECREASE);
    for (int f = 80; f < 3000; f += 120) harness.scheduleAction(f, f + 3, first, Vehicle::ACTION_FIRE);
    harness.scheduleAction(400, 430, first, Vehicle::ACTION_TURN_LEFT);
    harness.scheduleAction(700, 720, first, Vehicle::ACTION_INCREASE);
}
