#pragma once
// Seeds the shared random generator on every side that runs it.
#include "RPC.h"

#include <cstdint>

class RootObjectBase;

class RPC_RootObjectBase_randomSeed : public RPC {
public:
    explicit RPC_RootObjectBase_randomSeed(RootObjectBase* target = nullptr, uint32_t seed = 0);

    RuntimeClass* getClass() override;
    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;
    static void* create();

    RootObjectBase* target;
    uint32_t seed;
};
