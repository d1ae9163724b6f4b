#include "ZeppelinScenario.h"

#include "ContextBlender.h"
#include "EnemyScenarios.h"
#include "MatchHarness.h"
#include "world/enemies/EnemySpawner.h"
#include "world/enemies/ZeppelinTurret.h"

constexpr double ZeppelinScenario::SHOTS[];
constexpr double ZeppelinScenario::HELD_UNTIL;

namespace {

const int SHOT_COUNT = int(sizeof ZeppelinScenario::SHOTS / sizeof ZeppelinScenario::SHOTS[0]);
const int HELD_CRATES = 4;
const double GUNNER_INTERVAL = 0.5;

// At each time of the script, a shot of player 0 takes the first standing
// turret's whole energy (where it flies does not matter: the airship may be
// out of view).
class ScriptedMarksman : public PlimBase {
public:
    ScriptedMarksman() : shot(0) {}

    void tick(double, double dt) override {
        clock += dt;
        if (next >= SHOT_COUNT || clock < ZeppelinScenario::SHOTS[next]) return;
        ++next;
        GameController* match = GameController::current();
        for (BasicLink* link = match->layer(GameController::LAYER_ENEMIES)->firstChild; link; link = link->next) {
            auto* turret = dynamic_cast<ZeppelinTurret*>(static_cast<PlimBase*>(link));
            if (!turret || link->bDestroyPending || link->bSkip) continue;
            shot.position = turret->position;
            shot.dealDamage(turret, turret->energy);
            return;
        }
    }

    GameObject shot;
    double clock = 0.0;
    int next = 0;
};

} // namespace

ScriptedController* ZeppelinScenario::start(MatchHarness& harness, int players) {
    return static_cast<ScriptedController*>(harness.start([players] {
        auto* made = new EnemyMatch(players);
        made->build = build;
        return made;
    }));
}

void ZeppelinScenario::build(ScriptedController& match) {
    EnemyScenarios::buildIsland(match);
    EnemyScenarios::addGunner(match, GUNNER_INTERVAL);
    match.collideLayers(GameController::LAYER_ENEMY_PROJECTILES, GameController::LAYER_PALMS);
    PlimBase* spawners = new PlimBase();
    match.scene->addChildFirst(spawners);
    spawners->addChild(new EnemySpawner(EnemySpawner::TYPE_ZEPPELIN, 0.0, 0.0, 1, 1, true, 0.0f, 0));
    const double last = HELD_UNTIL - EnemySpawner::RELEASE_DELAY;
    spawners->addChild(new EnemySpawner(EnemySpawner::TYPE_CRATE, last / 2.0, last, HELD_CRATES, 1, true, 0.0f, 0));
    match.scene->addChild(new ScriptedMarksman());
}
