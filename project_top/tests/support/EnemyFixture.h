#pragma once
// Shared by the enemy tests: a scripted match with player 0's island (and
// palms at chosen places), enemies entered as a spawner enters them, the
// detail setting for one scope, the sounds played since a mark, and the
// newest object of a layer.
#include "MatchFixture.h"
#include "render/Renderable.h"
#include "ScriptedController.h"
#include "app/MyGlobal.h"
#include "world/Palm.h"
#include "world/enemies/Enemy.h"

#include <string>
#include <vector>

// The layer's newest object when it is a T, else null.
template <class T> T* lastOf(PlimBase* layer) { return dynamic_cast<T*>(static_cast<PlimBase*>(layer->lastChild)); }

class EnemyTest : public MatchTest {
protected:
    ScriptedController* match = nullptr;

    ScriptedController* startMatch(int players = 2) {
        match = start<ScriptedController>();
        match->playerCount = players;
        return match;
    }
    // Player 0's island at (x, y) with a palm at each of the given x (their
    // crowns at the island's height plus about 80).
    std::vector<Palm*> island(float x, float y, const std::vector<float>& palmX) {
        Renderable* land = new Renderable();
        land->position = V3(x, y, 0.0f);
        match->layer(GameController::LAYER_ISLANDS)->addChild(land);
        match->playerData[0]->pIsland.set(land);
        match->playerData[0]->createPalms(int(palmX.size()), true);
        std::vector<Palm*> palms;
        for (size_t i = 0; i < palmX.size(); ++i) {
            Palm* palm = static_cast<Palm*>(match->playerData[0]->palms[i].get());
            palm->position = V3(palmX[i], y, 0.0f);
            palm->lean = 0.0f;
            palm->updateVisuals();
            palms.push_back(palm);
        }
        return palms;
    }
    // Into the enemy layer, then onSpawn: how a spawner releases it.
    template <class T> T* enter(T* enemy, float difficulty = 0.0f, int32_t tint = 0) {
        enemy->difficulty = difficulty;
        enemy->tint = tint;
        match->layer(GameController::LAYER_ENEMIES)->addChild(enemy);
        enemy->onSpawn();
        return enemy;
    }
    PlimBase* layer(int index) { return match->layer(index); }
    // Sound names played after the mark.
    std::vector<std::string> soundsSince(size_t mark) const {
        std::vector<std::string> names;
        const std::vector<std::string> all = harness->log.linesOf("sound");
        for (size_t i = mark; i < all.size(); ++i) {
            size_t at = 0;
            for (int tab = 0; tab < 3; ++tab) at = all[i].find('\t', at) + 1;
            names.push_back(all[i].substr(at, all[i].find('\t', at) - at));
        }
        return names;
    }
    size_t soundMark() const { return harness->log.linesOf("sound").size(); }
};

// The graphics detail setting for one scope.
struct DetailSetting {
    explicit DetailSetting(int value) : saved(gGlobal->saveData.graphicsDetail) {
        gGlobal->saveData.graphicsDetail = value;
    }
    ~DetailSetting() { gGlobal->saveData.graphicsDetail = saved; }
    int saved;
};

// A world object that hits with a given velocity and heading, owned by a player.
class Shooter : public GameObject {
public:
    Shooter(int owner, V3 v) : GameObject(owner) {
        velocity = v;
        heading = std::atan2(v.y, v.x);
    }
};
