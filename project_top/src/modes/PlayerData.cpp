#include "PlayerData.h"

#include "GameController.h"
#include "util/Random.h"
#include <cstdint>
#include "world/GameObject.h"
#include "world/Palm.h"
#include "world/Vehicle.h"

PlayerData::PlayerData(int player) : player(player) {
    for (PalmSlot& slot : palms) slot.owner = this;
}

PlayerData::~PlayerData() {
    // The references clear themselves below; this record is past hearing it.
    pIsland.owner = nullptr;
    pVehicle.owner = nullptr;
    for (PalmSlot& slot : palms) slot.owner = nullptr;
}

void PlayerData::createPalms(int count, bool sharedDamage) {
    GameController* game = GameController::current();
    if (count < 0) count = 0;
    if (count > MAX_PALMS) count = MAX_PALMS;
    if (!game) count = 0;
    numPalms = count;
    numPalmsStanding = count;
    for (int i = 0; i < count; ++i) {
        GameObject* palm = new Palm(player);
        palm->bSharedDamage = sharedDamage;
        palms[i].set(palm);
    }
    // Highest first; equal heights keep their order.
    for (int i = 0; i + 1 < count;) {
        GameObject* a = palms[i].get();
        GameObject* b = palms[i + 1].get();
        if (a->position.y < b->position.y) {
            palms[i].set(b);
            palms[i + 1].set(a);
            i = 0;
        } else {
            ++i;
        }
    }
    for (int i = 0; i < count; ++i) game->layer(GameController::LAYER_PALMS)->addChild(palms[i].get());
}

GameObject* PlayerData::randomAlivePalm() {
    if (numPalmsStanding <= 0) return palms[0].get();
    int r = Random::next() % numPalmsStanding;
    for (int i = 0; i < numPalms; ++i) {
        GameObject* palm = palms[i].get();
        if (!palm || palm->state != PALM_STANDING) continue;
        if (r == 0) return palm;
        --r;
    }
    return palms[0].get();
}

void PlayerData::addScore(int delta) {
    const int64_t sum = int64_t(score) + delta;
    score = sum < 0 ? 0 : sum > INT32_MAX ? INT32_MAX : int32_t(sum);
}

void PlayerData::onPalmLost() {
    if (numPalmsStanding <= 0) return;
    if (--numPalmsStanding == 0) {
        if (GameController* game = GameController::current()) game->onAllPalmsDead(player);
    }
}

Vehicle* PlayerData::vehicle() const { return pVehicle.get(); }
