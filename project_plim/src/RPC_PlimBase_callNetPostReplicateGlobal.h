#pragma once
// Runs the target's netPostReplicateGlobal.
#include "RPC.h"

#include <cstdint>

class RPC_PlimBase_callNetPostReplicateGlobal : public RPC {
public:
    explicit RPC_PlimBase_callNetPostReplicateGlobal(PlimBase* target = nullptr);

    RuntimeClass* getClass() override;
    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;
    static void* create();

    PlimBase* target;
};
