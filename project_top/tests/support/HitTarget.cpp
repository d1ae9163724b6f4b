#include "HitTarget.h"

#include "MatchResources.h"

HitTarget::HitTarget(int owner, V3 at, const char* skinName, float energy) : GameObject(owner) {
    setEnergy(energy);
    setup(MatchResources::skin(skinName), &at, nullptr, nullptr);
}

void HitTarget::onHit(GameObject*, float amount) { hits.push_back(amount); }

void HitTarget::onDestroyed(GameObject* by) {
    ++destroyed;
    GameObject::onDestroyed(by);
}
