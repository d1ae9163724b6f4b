#include "ThrownObject.h"

#include "MatchResources.h"
#include "audio/Sound.h"

ThrownObject::ThrownObject(int owner, V3 at, V3 thrown) : GameObject(owner) {
    position = at;
    velocity = thrown;
    acceleration = V3(0.0f, GRAVITY, 0.0f);
    bOrientToVelocity = true;
    points = 100;
    setEnergy(0.5f);
    pSkin = MatchResources::skin("projectiles:0");
}

void ThrownObject::onEnterWater() {
    ++splashes;
    MatchResources::sound("smallSplash")->playAt(position);
    bDestroyPending = true;
}

void ThrownObject::onDestroyed(GameObject* by) {
    MatchResources::sound("explosionShort")->playAt(position);
    GameObject::onDestroyed(by);
}
