#include "EnemySpawner.h"

#include "core/ErrorManager.h"
#include "modes/GameController.h"
#include "modes/GameRecorder.h"
#include "world/World.h"
#include "AirplaneLeftRight.h"
#include "AirplaneLeftRightP35.h"
#include "AtomBomb.h"
#include "Ballistic.h"
#include "Bomber.h"
#include "Crate.h"
#include "HotAirBalloon.h"
#include "HotAirBalloonBomb.h"
#include "Kamikaze.h"
#include "PropelledBomb.h"
#include "Torpedo.h"
#include "TorpedoBlack.h"
#include "Zeppelin.h"

namespace {

const char* const TYPE_NAMES[EnemySpawner::TYPE_COUNT] = {
    "AirplaneLeftRight", "AirplaneLeftRightP35", "PropelledBomb", "Torpedo",  "TorpedoBlack",
    "HotAirBalloon",     "HotAirBalloonBomb",    "AtomBomb",      "Crate",    "Kamikaze",
    "Bomber",            "Zeppelin",             "Ballistic"};

// Where the unknown-type fatal says it was raised.
const char* const FACTORY_FILE = "project_top/src/EnemySpawner";
const int FACTORY_LINE = 100;

Enemy* enemyOf(BasicLink* link) { return static_cast<Enemy*>(static_cast<PlimBase*>(link)); }

template <class Visit> void forEachSpawner(BasicLink* node, const Visit& visit) {
    for (BasicLink* child = node->firstChild; child; child = child->next) {
        if (auto* spawner = dynamic_cast<EnemySpawner*>(static_cast<PlimBase*>(child)))
            visit(*spawner);
        else
            forEachSpawner(child, visit);
    }
}

BasicLink* rootOrController(PlimBase* root) { return root ? root : GameController::current(); }

} // namespace

EnemySpawner::EnemySpawner(int type, double t0, double t1, int groups, int perGroup, bool evenly,
                           float enemyDifficulty, int enemyTint) {
    GameController* game = GameController::current();
    if (groups > 1 && game && game->playerCount == 2) groups = int(double(groups) * TWO_PLAYER_GROUPS);
    const float from = float(t0);
    const float to = float(t1);
    for (int i = 0; i < groups; ++i) {
        const float f = evenly && groups != 1 ? float(i) / float(groups - 1) : World::fraction();
        const float release = float(double(from + f * (to - from)) + RELEASE_DELAY);
        for (int k = 0; k < perGroup; ++k) {
            Enemy* enemy = instantiateEnemy(type);
            enemy->spawnTime = release;
            enemy->difficulty = enemyDifficulty;
            enemy->tint = enemyTint;
            insertSorted(enemy);
        }
    }
}

EnemySpawner::~EnemySpawner() { pending.destroyChildren(); }

Enemy* EnemySpawner::instantiateEnemy(int type) {
    switch (type) {
    case TYPE_BIPLANE: return new AirplaneLeftRight();
    case TYPE_P35: return new AirplaneLeftRightP35();
    case TYPE_PROPELLED_BOMB: return new PropelledBomb();
    case TYPE_TORPEDO: return new Torpedo();
    case TYPE_TORPEDO_BLACK: return new TorpedoBlack();
    case TYPE_HOT_AIR_BALLOON: return new HotAirBalloon();
    case TYPE_HOT_AIR_BALLOON_BOMB: return new HotAirBalloonBomb();
    case TYPE_ATOM_BOMB: return new AtomBomb();
    case TYPE_CRATE: return new Crate(Crate::KIND_PLAIN);
    case TYPE_KAMIKAZE: return new Kamikaze();
    case TYPE_BOMBER: return new Bomber();
    case TYPE_ZEPPELIN: return new Zeppelin();
    case TYPE_BALLISTIC: return new Ballistic();
    default: break;
    }
    ErrorManager::errorAt("instantiateEnemy", FACTORY_FILE, FACTORY_LINE, "Tried to spawn unknown enemy type.");
}

const char* EnemySpawner::typeName(int type) { return type >= 0 && type < TYPE_COUNT ? TYPE_NAMES[type] : "?"; }

void EnemySpawner::insertSorted(Enemy* enemy) {
    for (BasicLink* link = pending.lastChild; link; link = link->prev) {
        if (link->bDestroyPending || link->bSkip) continue;
        if (enemyOf(link)->spawnTime < enemy->spawnTime) {
            pending.insertChildAfter(enemy, link);
            return;
        }
    }
    pending.addChildFirst(enemy);
}

int EnemySpawner::pendingCount() const { return int(pending.getNumChildren()); }

void EnemySpawner::tick(double, double dt) {
    clock += dt;
    GameController* game = GameController::current();
    PlimBase* layer = World::layer(GameController::LAYER_ENEMIES);
    while (layer && pending.firstChild && double(enemyOf(pending.firstChild)->spawnTime) <= clock) {
        Enemy* enemy = enemyOf(pending.firstChild);
        pending.removeChild(enemy);
        layer->addChild(enemy);
        enemy->onSpawn();
        game->pointsTotal += enemy->points;
        if (GameRecorder::current) GameRecorder::current->onEnemySpawned(enemy);
    }
    if (!pending.firstChild) bDestroyPending = true;
}

void EnemySpawner::cancelAll(PlimBase* root) {
    BasicLink* top = rootOrController(root);
    if (top) forEachSpawner(top, [](EnemySpawner& spawner) { spawner.bDestroyPending = true; });
}

int EnemySpawner::pendingIn(PlimBase* root) {
    BasicLink* top = rootOrController(root);
    int held = 0;
    if (top) forEachSpawner(top, [&held](EnemySpawner& spawner) { held += spawner.pendingCount(); });
    return held;
}
