#pragma once
// Unlinks obj from the target's children.
#include "RPCCall.h"

class RPC_PlimBase_remove : public RPCCall<RPC_PlimBase_remove> {
public:
    explicit RPC_PlimBase_remove(PlimBase* target = nullptr, PlimBase* obj = nullptr);

    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;

    PlimBase* target;
    PlimBase* obj;
};
