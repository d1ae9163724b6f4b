#pragma once
// Deletes every child of the target, the last first.
#include "RPC.h"

#include <cstdint>

class RPC_PlimBase_clear : public RPC {
public:
    explicit RPC_PlimBase_clear(PlimBase* target = nullptr);

    RuntimeClass* getClass() override;
    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;
    static void* create();

    PlimBase* target;
};
