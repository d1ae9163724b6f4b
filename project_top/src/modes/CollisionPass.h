#pragma once
// The modes' collision walks over two layers of the match.
#include "core/PlimBase.h"
#include "world/GameObject.h"

namespace CollisionPass {

// Each live object of the first layer meets at most the first qualifying
// object of the second it overlaps, once per frame.
template <class Qualifies> void collideLayers(PlimBase* first, PlimBase* second, Qualifies qualifies) {
    for (BasicLink* a = first->firstChild; a; a = a->next) {
        if (!BasicLink::isLive(a)) continue;
        GameObject* one = static_cast<GameObject*>(a);
        for (BasicLink* b = second->firstChild; b; b = b->next) {
            GameObject* other = static_cast<GameObject*>(b);
            if (!BasicLink::isLive(b) || !qualifies(one, other)) continue;
            if (!one->collide(other)) continue;
            one->onCollision(other);
            other->onCollision(one);
            break;
        }
    }
}

} // namespace CollisionPass
