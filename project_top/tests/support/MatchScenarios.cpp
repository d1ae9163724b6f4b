#include "MatchScenarios.h"

#include "BalloonPopScenario.h"
#include "DogfightScenario.h"
#include "EffectScenarios.h"
#include "MatchHarness.h"
#include "ScriptedController.h"
#include "TestVehicle.h"
#include "ThrownObject.h"
#include "WarScenario.h"
#include "WeaponScenarios.h"
#include "ZeppelinScenario.h"
#include "modes/GameControllerBalloonPop.h"
#include "modes/GameControllerClassic.h"
#include "world/World.h"
#include "util/PlimMath.h"

#include <cmath>
#include <functional>

namespace {
const int THROWN_OBJECTS = 12;
const int THROWN_LAYERS[] = {GameController::LAYER_CANNON_BALLS, GameController::LAYER_SHOTS,
                             GameController::LAYER_BOMBS, GameController::LAYER_ENEMY_PROJECTILES};
} // namespace

std::vector<std::string> MatchScenarios::names() {
    return {"spine", "palms", "fireworks", "bonuses", "weapons", "cannon", "zeppelin", "balloonpop", "dogfight", "war"};
}

GameController* MatchScenarios::start(const std::string& name, MatchHarness& harness, int players) {
    if (name == "zeppelin") return ZeppelinScenario::start(harness, players);
    if (name == "balloonpop") return BalloonPopScenario::start(harness, players);
    if (name == "dogfight") return DogfightScenario::start(harness);
    if (name == "war") return WarScenario::start(harness, WarScenario::DEFAULT_DAYS);
    std::function<void(ScriptedController&)> build;
    std::function<void(MatchHarness&, int)> script;
    if (name == "spine") {
        build = buildSpine;
        script = scriptSpine;
    } else if (name == "palms") {
        build = EffectScenarios::buildPalms;
    } else if (name == "fireworks") {
        build = EffectScenarios::buildFireworks;
    } else if (name == "bonuses") {
        build = EffectScenarios::buildBonuses;
        script = EffectScenarios::scriptBonuses;
    } else if (name == "weapons") {
        build = WeaponScenarios::buildWeapons;
        script = WeaponScenarios::scriptWeapons;
    } else if (name == "cannon") {
        build = WeaponScenarios::buildCannon;
        script = WeaponScenarios::scriptCannon;
    } else {
        return nullptr;
    }
    auto* match = static_cast<ScriptedController*>(harness.start([players, build] {
        auto* made = new ScriptedController(players);
        made->build = build;
        return made;
    }));
    if (script) script(harness, players);
    return match;
}

void MatchScenarios::buildSpine(ScriptedController& match) {
    for (int i = 0; i < THROWN_OBJECTS; ++i) {
        V3 at(-150.0f + 300.0f * World::fraction(), 60.0f * World::fraction(), 0.0f);
        V3 thrown(-300.0f + 600.0f * World::fraction(), 50.0f + 200.0f * World::fraction(), 0.0f);
        match.place(THROWN_LAYERS[i % 4], new ThrownObject(-1, at, thrown));
    }
    match.place(GameController::LAYER_AIRPLANES, new TestVehicle(0, V3(-280.0f, 200.0f, 0.0f), 0.0f));
    match.place(GameController::LAYER_AIRPLANES, new TestVehicle(1, V3(280.0f, 200.0f, 0.0f), PI));
    for (int layer : THROWN_LAYERS) match.collideLayers(layer, GameController::LAYER_AIRPLANES);
    match.collideLayers(GameController::LAYER_BULLETS, GameController::LAYER_AIRPLANES);
    match.collideLayers(GameController::LAYER_AIRPLANES, GameController::LAYER_AIRPLANES);
}

void MatchScenarios::scriptSpine(MatchHarness& harness, int players) {
    // Player 0 climbs, fires and speeds up; player 1 climbs the other way,
    // fires back and slows down. With one
    // human, player 1 is the computer's and flies on untouched.
    const int first = GameController::currentVehicle(0)->keySet();
    harness.scheduleAction(20, 45, first, Vehicle::ACTION_TURN_LEFT);
    harness.scheduleAction(60, 62, first, Vehicle::ACTION_FIRE);
    harness.scheduleAction(80, 100, first, Vehicle::ACTION_INCREASE);
    if (players < 2) return;
    const int second = GameController::currentVehicle(1)->keySet();
    harness.scheduleAction(30, 40, second, Vehicle::ACTION_TURN_RIGHT);
    harness.scheduleAction(70, 72, second, Vehicle::ACTION_FIRE);
    harness.scheduleAction(90, 95, second, Vehicle::ACTION_DECREASE);
}
