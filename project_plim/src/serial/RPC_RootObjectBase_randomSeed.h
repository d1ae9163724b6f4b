#pragma once
// Seeds the shared random generator on every side that runs it.
#include "RPCCall.h"

#include <cstdint>

class RootObjectBase;

class RPC_RootObjectBase_randomSeed : public RPCCall<RPC_RootObjectBase_randomSeed> {
public:
    explicit RPC_RootObjectBase_randomSeed(RootObjectBase* target = nullptr, uint32_t seed = 0);

    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;

    RootObjectBase* target;
    uint32_t seed;
};
