#pragma once
// The direct children of a node that are of type T, in their order.
#include "core/PlimBase.h"

#include <vector>

template <class T> std::vector<T*> childrenOf(PlimBase* parent) {
    std::vector<T*> found;
    for (BasicLink* link = parent->firstChild; link; link = link->next)
        if (T* t = dynamic_cast<T*>(static_cast<PlimBase*>(link))) found.push_back(t);
    return found;
}
