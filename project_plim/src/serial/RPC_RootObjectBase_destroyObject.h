#pragma once
// Unregisters and deletes o on every side that runs it.
#include "RPCCall.h"

#include <cstdint>

class RootObjectBase;

class RPC_RootObjectBase_destroyObject : public RPCCall<RPC_RootObjectBase_destroyObject> {
public:
    explicit RPC_RootObjectBase_destroyObject(RootObjectBase* target = nullptr, PlimBase* o = nullptr);

    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;

    RootObjectBase* target;
    PlimBase* o;
};
