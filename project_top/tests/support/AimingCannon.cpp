#include "AimingCannon.h"

#include "modes/GameController.h"
#include "modes/PlayerData.h"
#include "world/weapons/CannonBall.h"

#include <cmath>
#include <initializer_list>

AimingCannon::AimingCannon(int owner) : Cannon(owner) {}

GameObject* AimingCannon::pickTarget() const {
    GameController* game = GameController::current();
    if (!game) return nullptr;
    GameObject* best = nullptr;
    float bestDistance = 0.0f;
    for (int layer : {GameController::LAYER_ENEMIES, GameController::LAYER_ENEMY_PROJECTILES}) {
        for (BasicLink* node = game->layer(layer)->firstChild; node; node = node->next) {
            if (node->bDestroyPending || node->bSkip) continue;
            GameObject* object = static_cast<GameObject*>(node);
            if (object->collisionSensitivity <= 0.0f || object->position.y < position.y + 8.0f) continue;
            const V3 d = object->position - position;
            // Worthless drops (the zeppelin's) come after anything that scores.
            const float distance = d.x * d.x + d.y * d.y + (object->points > 0 ? 0.0f : WORTHLESS_PENALTY);
            if (!best || distance < bestDistance) {
                best = object;
                bestDistance = distance;
            }
        }
    }
    return best;
}

void AimingCannon::readControls() {
    GameObject* target = pickTarget();
    if (!target) return;
    const float miss = aimAt(target, true, 0.0f, -CannonBall::GRAVITY, 0.0f);
    if (std::fabs(miss) < ON_TARGET) bFirePressed = bFireHeld = true;
}

void AimingCannon::install(GameController* match, AimingCannon* bots[2]) {
    for (int i = 0; i < GameController::PLAYERS; ++i) {
        bots[i] = nullptr;
        Vehicle* old = i < match->playerCount ? match->playerData[i]->vehicle() : nullptr;
        if (!old) continue;
        AimingCannon* bot = new AimingCannon(i);
        bot->position = old->position;
        bot->blasterRegeneration = old->blasterRegeneration;
        bot->weapon = old->weapon;
        old->weapon = nullptr;
        bot->updateVisuals();
        match->layer(GameController::LAYER_CANNONS)->insertChildAfter(bot, old);
        old->bDestroyPending = true;
        match->playerData[i]->pVehicle.set(bot);
        bots[i] = bot;
    }
}
