#include "ScriptedController.h"

#include "modes/Messenger.h"
#include "modes/PlayerHUD.h"
#include "world/GameObject.h"

namespace {
GameObject* object(BasicLink* link) { return static_cast<GameObject*>(static_cast<PlimBase*>(link)); }
} // namespace

ScriptedController::ScriptedController(int players) {
    computerPlayers = players >= 2 ? 0 : 1;
    // As every game mode does: the saved mutators are this match's.
    takeMutatorOptions();
}

void ScriptedController::onEnter() {
    GameController::onEnter();
    if (build) build(*this);
    for (PlayerHUD* display : playerHud) display->bHidden = false;
    setState(STATE_PLAYING);
}

GameObject* ScriptedController::place(int layerIndex, GameObject* added) {
    layers[layerIndex]->addChild(added);
    added->updateVisuals();
    return added;
}

int ScriptedController::liveObjects() const {
    int count = 0;
    for (PlimBase* holder : layers)
        for (const BasicLink* child = holder->firstChild; child; child = child->next)
            if (BasicLink::isLive(child)) ++count;
    return count;
}

void ScriptedController::checkCollisions() {
    for (const auto& pair : collisionPairs) {
        for (BasicLink* a = layers[pair.first]->firstChild; a; a = a->next) {
            BasicLink* b = pair.first == pair.second ? a->next : layers[pair.second]->firstChild;
            for (; b && BasicLink::isLive(a); b = b->next)
                if (BasicLink::isLive(b)) collide(object(a), object(b));
        }
    }
}

void ScriptedController::collide(GameObject* a, GameObject* b) {
    if (a->owner >= 0 && a->owner == b->owner) return;
    if (!a->collide(b)) return;
    ++contacts;
    a->onCollision(b);
    b->onCollision(a);
}

void ScriptedController::updateRules() {
    if (state == STATE_PLAYING && liveObjects() == 0) setState(STATE_CLEAR, 1.0);
}

void ScriptedController::onStateChange() {
    if (state == STATE_PLAYING) messenger->setMessage("fight!", 2.0);
    if (state == STATE_CLEAR) messenger->setMessage("all clear", 1.5);
}
