#include "DogfightScenario.h"

#include "render/Camera.h"
#include "CameraBlender.h"
#include "ContextBlender.h"
#include "MatchHarness.h"
#include "MatchResources.h"
#include "core/Plim.h"
#include "render/PlimGraphics.h"
#include "modes/PlayerData.h"
#include "world/CameraStatic.h"
#include "world/World.h"
#include "world/pilots/AirplaneComputerControlDuel.h"
#include "world/weapons/WeaponBullet.h"

#include <cmath>

namespace {
using L = GameController;
const float ISLAND_X = 250.0f;
const float ISLAND_Y = -20.0f;
const float START_X = 300.0f;
const float START_Y = 200.0f;
const float BALLOON_SPREAD_X = 600.0f;
const float BALLOON_LOW = 80.0f, BALLOON_RANGE = 250.0f;
const int FREQUENT = 2;
const int PALMS = 3;
} // namespace

DogfightMatch::DogfightMatch() : ScriptedController(0) {
    computerPlayers = PLAYERS;
    bonusFrequency = FREQUENT;
    bSabotageBonuses = false;
    aiSkill = 0.5f;
}

void DogfightMatch::launchPilot(int player) {
    auto* pilot = new AirplaneComputerControlDuel(player);
    pilot->position = V3(player ? START_X : -START_X, START_Y, 0.0f);
    pilot->bRemoveOffWorld = false;
    pilot->weapon = new WeaponBullet(player);
    place(L::LAYER_AIRPLANES, pilot);
    playerData[player]->pVehicle.set(pilot);
}

void DogfightMatch::onPlayerDie(int player) {
    ++pilotsLost;
    respawnAt[player] = time + RESPAWN_DELAY;
}

void DogfightMatch::updateRules() {
    ScriptedController::updateRules();
    for (int player = 0; player < PLAYERS; ++player) {
        if (respawnAt[player] < 0.0 || time < respawnAt[player]) continue;
        respawnAt[player] = -1.0;
        launchPilot(player);
        // Back to the view over both islands.
        auto* camera = new CameraStatic(0.0f, 0.0f, -0.5f * float(Camera::fovWidth()));
        scene->getCameraBlender()->addChild(camera);
    }
    if (time < nextBalloon) return;
    nextBalloon = nextBonusTime();
    const float x = (World::fraction() - 0.5f) * BALLOON_SPREAD_X;
    spawnBalloon(x, BALLOON_LOW + BALLOON_RANGE * World::fraction(), 0.0f, BALLOON_LIFETIME, false);
    ++balloonsSpawned;
}

DogfightMatch* DogfightScenario::start(MatchHarness& harness) {
    return static_cast<DogfightMatch*>(harness.start([] {
        auto* made = new DogfightMatch();
        made->build = build;
        return made;
    }));
}

void DogfightScenario::build(ScriptedController& match) {
    auto& fight = static_cast<DogfightMatch&>(match);
    for (int player = 0; player < L::PLAYERS; ++player) {
        auto* island = new Renderable();
        island->pSkin = MatchResources::skin(player ? "island:1" : "island:0");
        island->position = V3(player ? ISLAND_X : -ISLAND_X, ISLAND_Y, 0.0f);
        island->updateVisuals();
        match.layer(L::LAYER_ISLANDS)->addChild(island);
        match.playerData[player]->pIsland.set(island);
        match.playerData[player]->createPalms(PALMS, false);
        fight.launchPilot(player);
    }
    fight.nextBalloon = fight.nextBonusTime();
    match.collideLayers(L::LAYER_BULLETS, L::LAYER_AIRPLANES);
    match.collideLayers(L::LAYER_BULLETS, L::LAYER_BALLOONS);
    match.collideLayers(L::LAYER_AIRPLANES, L::LAYER_BALLOONS);
}
