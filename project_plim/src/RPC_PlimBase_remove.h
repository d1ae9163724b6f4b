#pragma once
// Unlinks obj from the target's children.
#include "RPC.h"

#include <cstdint>

class RPC_PlimBase_remove : public RPC {
public:
    explicit RPC_PlimBase_remove(PlimBase* target = nullptr, PlimBase* obj = nullptr);

    RuntimeClass* getClass() override;
    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;
    static void* create();

    PlimBase* target;
    PlimBase* obj;
};
