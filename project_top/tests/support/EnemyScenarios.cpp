#include "EnemyScenarios.h"

#include "MatchHarness.h"
#include "ContextBlender.h"
#include "MatchResources.h"
#include "modes/PlayerData.h"
#include "world/Palm.h"
#include "world/enemies/Enemy.h"
#include "world/enemies/EnemySpawner.h"
#include "world/weapons/Bullet.h"

#include <cmath>

namespace {

const float GUNNER_Y = 40.0f;
const float BULLET_SPEED = 800.0f;

template <class T> T* as(BasicLink* link) { return static_cast<T*>(static_cast<PlimBase*>(link)); }

// Fires at the first enemy drawn in the last frame, leading it once.
class ScriptedGunner : public PlimBase {
public:
    explicit ScriptedGunner(double interval) : interval(interval) {}

    void tick(double, double dt) override {
        elapsed += dt;
        if (elapsed < interval) return;
        elapsed = 0.0;
        GameController* match = GameController::current();
        for (BasicLink* link = match->layer(GameController::LAYER_ENEMIES)->firstChild; link; link = link->next) {
            Enemy* enemy = as<Enemy>(link);
            if (!BasicLink::isLive(link) || !enemy->bVisible) continue;
            const float dx = enemy->position.x;
            const float dy = enemy->position.y - GUNNER_Y;
            const float t = std::sqrt(dx * dx + dy * dy) / BULLET_SPEED;
            const float ax = dx + enemy->velocity.x * t;
            const float ay = dy + enemy->velocity.y * t;
            const float length = std::sqrt(ax * ax + ay * ay);
            if (length <= 0.0f) return;
            auto* bullet = new Bullet(0, 0.0f, GUNNER_Y, 0.0f, BULLET_SPEED * ax / length, BULLET_SPEED * ay / length,
                                      0.0f);
            match->layer(GameController::LAYER_BULLETS)->addChild(bullet);
            bullet->updateVisuals();
            return;
        }
    }

    double interval;
    double elapsed = 0.0;
};

} // namespace

void EnemyMatch::checkCollisions() {
    ScriptedController::checkCollisions();
    for (BasicLink* e = layers[LAYER_ENEMIES]->firstChild; e; e = e->next) {
        if (!BasicLink::isLive(e) || !as<Enemy>(e)->bHitsPalms) continue;
        for (BasicLink* p = layers[LAYER_PALMS]->firstChild; p && BasicLink::isLive(e); p = p->next) {
            Palm* palm = as<Palm>(p);
            if (!BasicLink::isLive(p) || palm->state != Palm::STATE_STANDING) continue;
            Enemy* enemy = as<Enemy>(e);
            if (!enemy->collide(palm)) continue;
            ++contacts;
            enemy->onCollision(palm);
            palm->onCollision(enemy);
        }
    }
}

void EnemyMatch::updateRules() {
    if (state == STATE_PLAYING && EnemyScenarios::enemiesLeft(this) == 0 && liveObjects() == 0)
        setState(STATE_CLEAR, 1.0);
}

void EnemyScenarios::buildIsland(ScriptedController& match) {
    auto* island = new Renderable();
    island->pSkin = MatchResources::skin("island:0");
    island->position = V3(0.0f, ISLAND_Y, 0.0f);
    island->updateVisuals();
    match.layer(GameController::LAYER_ISLANDS)->addChild(island);
    match.playerData[0]->pIsland.set(island);
    match.playerData[0]->createPalms(3, false);
}

void EnemyScenarios::addGunner(ScriptedController& match, double interval) {
    match.scene->addChild(new ScriptedGunner(interval));
    match.collideLayers(GameController::LAYER_BULLETS, GameController::LAYER_ENEMIES);
}

EnemyMatch* EnemyScenarios::startSpawn(MatchHarness& harness, int players, int type, int count, float difficulty) {
    return static_cast<EnemyMatch*>(harness.start([=] {
        auto* made = new EnemyMatch(players);
        made->build = [=](ScriptedController& match) {
            buildIsland(match);
            addGunner(match, 0.5);
            match.collideLayers(GameController::LAYER_ENEMY_PROJECTILES, GameController::LAYER_PALMS);
            for (int i = 0; i < count; ++i) {
                const double at = RELEASE_INTERVAL * i;
                match.scene->addChild(new EnemySpawner(type, at, at, 1, 1, true, difficulty, 0));
            }
        };
        return made;
    }));
}

int EnemyScenarios::enemiesLeft(GameController* match) {
    int left = EnemySpawner::pendingIn(match);
    for (BasicLink* link = match->layer(GameController::LAYER_ENEMIES)->firstChild; link; link = link->next)
        if (BasicLink::isLive(link)) ++left;
    return left;
}
