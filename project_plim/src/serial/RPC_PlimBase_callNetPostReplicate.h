#pragma once
// Runs the target's netPostReplicate.
#include "RPCCall.h"

class RPC_PlimBase_callNetPostReplicate : public RPCCall<RPC_PlimBase_callNetPostReplicate> {
public:
    explicit RPC_PlimBase_callNetPostReplicate(PlimBase* target = nullptr);

    void netSerialize(Packet* packet) override;
    void call() override;

    static RuntimeClass runtimeClass;

    PlimBase* target;
};
