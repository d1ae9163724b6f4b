#pragma once
// Makes obj the last child of the target.
#include "RPCChildCall.h"

class RPC_PlimBase_add : public RPCChildCall<RPC_PlimBase_add> {
public:
    explicit RPC_PlimBase_add(PlimBase* target = nullptr, PlimBase* obj = nullptr);

    void call() override;

    static RuntimeClass runtimeClass;
};
