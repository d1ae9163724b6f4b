#pragma once
// Unlinks obj from the target's children.
#include "RPCChildCall.h"

class RPC_PlimBase_remove : public RPCChildCall<RPC_PlimBase_remove> {
public:
    explicit RPC_PlimBase_remove(PlimBase* target = nullptr, PlimBase* obj = nullptr);

    void call() override;

    static RuntimeClass runtimeClass;
};
