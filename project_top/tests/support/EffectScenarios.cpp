#include "EffectScenarios.h"

#include "ContextBlender.h"
#include "MatchHarness.h"
#include "MatchResources.h"
#include "util/Random.h"
#include "ScriptedController.h"
#include "TestVehicle.h"
#include "ThrownObject.h"
#include "app/MyGlobal.h"
#include "modes/PlayerData.h"
#include "world/World.h"
#include "world/effects/BonusBalloonPop.h"
#include "world/effects/BonusOffensive.h"
#include "world/effects/FireworkFuse.h"
#include "util/PlimMath.h"

namespace {

const float ISLAND_X = 200.0f; // both in view
const float ISLAND_Y = -20.0f;
const int SALVO = 14;

void placeIslands(ScriptedController& match) {
    for (int player = 0; player < GameController::PLAYERS; ++player) {
        auto* island = new Renderable();
        island->pSkin = MatchResources::skin(player ? "island:1" : "island:0");
        island->position = V3(player ? ISLAND_X : -ISLAND_X, ISLAND_Y, 0.0f);
        island->updateVisuals();
        match.layer(GameController::LAYER_ISLANDS)->addChild(island);
        match.playerData[player]->pIsland.set(island);
    }
}

// A shell thrown from (x, y) that falls on the target after t seconds.
ThrownObject* shellAt(int owner, float x, float y, const V3& target, float t) {
    const float vx = (target.x - x) / t;
    const float vy = (target.y - y - 0.5f * ThrownObject::GRAVITY * t * t) / t;
    return new ThrownObject(owner, V3(x, y, 0.0f), V3(vx, vy, 0.0f));
}

// Launches the end scene's fuses from the first player's island: a whole
// salvo at once at the start, then one fuse at a time in salvos.
class FireworkLauncher : public PlimBase {
public:
    explicit FireworkLauncher(int first) : first(first) {}
    void tick(double time, double) override {
        if (first > 0) {
            for (; first > 0; --first) launch();
            newSalvo(time);
            return;
        }
        if (time < next) return;
        launch();
        if (--left > 0)
            next = time + 0.1 + 0.25 * double(World::fraction());
        else
            newSalvo(time);
    }
    void launch() {
        const V3 at(-ISLAND_X, ISLAND_Y + 32.0f, 0.0f);
        const int a = Random::next(), b = Random::next();
        const V3 v(float(b % 512 - 256), float(a % 384 + 128), 0.0f);
        World::add(GameController::LAYER_FIREWORKS,
                   new FireworkFuse(at.x, at.y, at.z, v.x, v.y, v.z, 1.0, 2.0, MyGlobal::randomPureColour()));
        World::playAt("fireworkLaunch", at);
    }
    void newSalvo(double time) {
        left = Random::next() % (7 * World::detail() + 7) + 1;
        next = time + 2.0 + 2.0 * double(World::fraction());
    }
    int first;
    int left = 0;
    double next = 0.0;
};

// New balloons at the controller's bonus times, over the sea between islands.
class BalloonSpawner : public PlimBase {
public:
    void tick(double time, double) override {
        GameController* match = GameController::current();
        if (next < 0.0) next = match->nextBonusTime();
        if (time < next) return;
        match->spawnBalloon(-200.0f + 400.0f * World::fraction(), 100.0f + 150.0f * World::fraction(), 0.0f, 90.0,
                            true);
        next = match->nextBonusTime();
    }
    double next = -1.0;
};

} // namespace

void EffectScenarios::buildPalms(ScriptedController& match) {
    placeIslands(match);
    for (PlayerData* data : match.playerData) data->createPalms(3, false);
    // Each shell drops on a crown from above, one after the other; one that
    // meets a burning neighbour first only sways it.
    for (int player = 0; player < GameController::PLAYERS; ++player) {
        PlayerData* enemy = match.playerData[1 - player];
        for (int i = 0; i < 3; ++i) {
            GameObject* palm = enemy->palms[i].get();
            const V3 crown = palm->local2world(V3(0.0f, 20.0f, 0.0f));
            match.place(GameController::LAYER_CANNON_BALLS,
                        shellAt(player, crown.x, 250.0f + 60.0f * float(i + 3 * player), crown, 1.0f + 0.5f * float(i)));
        }
    }
    match.collideLayers(GameController::LAYER_CANNON_BALLS, GameController::LAYER_PALMS);
}

void EffectScenarios::buildFireworks(ScriptedController& match) {
    placeIslands(match);
    match.scene->addChild(new FireworkLauncher(World::detail() > 0 ? SALVO : SALVO / 2));
}

void EffectScenarios::buildBonuses(ScriptedController& match) {
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 5; ++i)
            match.spawnBalloon(-200.0f + 100.0f * float(i), row ? 150.0f : 200.0f, 0.0f, 90.0, i == 0);
    // Two that expire, one that never does, and a balloon-pop balloon.
    for (int i = 0; i < 2; ++i)
        match.place(GameController::LAYER_BALLOONS, new BonusOffensive(-100.0f + 200.0f * float(i), 300.0f, 0.0f,
                                                                       3.0 + 2.0 * double(i), true));
    match.place(GameController::LAYER_BALLOONS, new BonusOffensive(0.0f, 350.0f, 0.0f, 0.0, false));
    match.place(GameController::LAYER_BALLOONS, new BonusBalloonPop(250.0f, 250.0f, 0.0f, 90.0, true));
    const V3 starts[] = {V3(-280.0f, 200.0f, 0.0f), V3(280.0f, 150.0f, 0.0f)};
    for (int player = 0; player < GameController::PLAYERS; ++player) {
        auto* vehicle = new TestVehicle(player, starts[player], player ? PI : 0.0f);
        vehicle->setEnergy(100.0f);
        vehicle->bRemoveOffWorld = false;
        match.place(GameController::LAYER_AIRPLANES, vehicle);
    }
    match.scene->addChild(new BalloonSpawner());
    match.collideLayers(GameController::LAYER_BULLETS, GameController::LAYER_BALLOONS);
    match.collideLayers(GameController::LAYER_AIRPLANES, GameController::LAYER_BALLOONS);
}

void EffectScenarios::scriptBonuses(MatchHarness& harness, int players) {
    // Player 0 shoots at the balloons ahead, then climbs to the high ones.
    const int first = GameController::currentVehicle(0)->keySet();
    harness.scheduleAction(10, 12, first, Vehicle::ACTION_FIRE);
    harness.scheduleAction(60, 62, first, Vehicle::ACTION_FIRE);
    harness.scheduleAction(120, 135, first, Vehicle::ACTION_TURN_LEFT);
    harness.scheduleAction(140, 142, first, Vehicle::ACTION_FIRE);
    harness.scheduleAction(300, 440, first, Vehicle::ACTION_TURN_LEFT); // back through the rows
    harness.scheduleAction(480, 482, first, Vehicle::ACTION_FIRE);
    if (players < 2) return;
    const int second = GameController::currentVehicle(1)->keySet();
    harness.scheduleAction(40, 42, second, Vehicle::ACTION_FIRE);
    harness.scheduleAction(100, 110, second, Vehicle::ACTION_TURN_RIGHT);
    harness.scheduleAction(300, 420, second, Vehicle::ACTION_TURN_RIGHT);
}
