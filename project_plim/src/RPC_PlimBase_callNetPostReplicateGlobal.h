#pragma once
// Runs the target's netPostReplicateGlobal.
#include "RPCCall.h"

#include <cstdint>

class RPC_PlimBase_callNetPostReplicateGlobal : public RPCCall<RPC_PlimBase_callNetPostReplicateGlobal> {
public:
    explicit RPC_PlimBase_callNetPostReplicateGlobal(PlimBase* target = nullptr);

    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;

    PlimBase* target;
};
