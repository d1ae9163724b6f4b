#pragma once
// Makes obj the last child of the target.
#include "RPCCall.h"

class RPC_PlimBase_add : public RPCCall<RPC_PlimBase_add> {
public:
    explicit RPC_PlimBase_add(PlimBase* target = nullptr, PlimBase* obj = nullptr);

    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;

    PlimBase* target;
    PlimBase* obj;
};
