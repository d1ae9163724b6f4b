#pragma once
// Unregisters and deletes o on every side that runs it.
#include "RPC.h"

#include <cstdint>

class RootObjectBase;

class RPC_RootObjectBase_destroyObject : public RPC {
public:
    explicit RPC_RootObjectBase_destroyObject(RootObjectBase* target = nullptr, PlimBase* o = nullptr);

    RuntimeClass* getClass() override;
    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;
    static void* create();

    RootObjectBase* target;
    PlimBase* o;
};
