#pragma once
// Deletes every child of the target, the last first.
#include "RPCCall.h"

class RPC_PlimBase_clear : public RPCCall<RPC_PlimBase_clear> {
public:
    explicit RPC_PlimBase_clear(PlimBase* target = nullptr);

    void netSerialize(Packet* packet) override;
    void call() override;

    static RuntimeClass runtimeClass;

    PlimBase* target;
};
