#pragma once
// Runs the target's netPostReplicateGlobal.
#include "RPCCall.h"

class RPC_PlimBase_callNetPostReplicateGlobal : public RPCCall<RPC_PlimBase_callNetPostReplicateGlobal> {
public:
    explicit RPC_PlimBase_callNetPostReplicateGlobal(PlimBase* target = nullptr);

    void netSerialize(Packet* packet) override;
    void call() override;

    static RuntimeClass runtimeClass;

    PlimBase* target;
};
