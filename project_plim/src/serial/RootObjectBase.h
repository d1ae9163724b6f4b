#pragma once
// Base of the root of a replicated object tree (the object registered with
// identifier 1): carries the role's identifier counter to every copy, seeds
// the shared random generator everywhere, and is the path by which registered
// objects are deleted on every side.
#include "core/PlimBase.h"

#include <cstdint>

class Node;

class RootObjectBase : public PlimBase {
public:
    RootObjectBase();
    RuntimeClass* getClass() override;
    // PlimBase's properties, then "THEROLE->nextObjectUID" (unsigned).
    void addPropertiesTo(PlimBase* container) override;

    virtual void rootHook() {}
    virtual void server_playerConnected(Node* player) {}
    virtual void server_playerDisconnected(Node* player) {}

    // Issues RPC_RootObjectBase_randomSeed with this object as target.
    void randomSeed(uint32_t seed);
    // Issues RPC_RootObjectBase_destroyObject with this object as target.
    void destroyObject(PlimBase* o);
    // Unregisters o and deletes it; null does nothing.
    void doDestroyObject(PlimBase* o);

    static RuntimeClass runtimeClass;
    static void* create();
};
