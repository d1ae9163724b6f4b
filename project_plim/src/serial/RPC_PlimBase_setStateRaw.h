#pragma once
// Sets the target's state number directly: no onStateChange, the pending
// state untouched.
#include "RPCCall.h"

#include <cstdint>

class RPC_PlimBase_setStateRaw : public RPCCall<RPC_PlimBase_setStateRaw> {
public:
    explicit RPC_PlimBase_setStateRaw(PlimBase* target = nullptr, int32_t _state = 0);

    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;

    PlimBase* target;
    int32_t _state;
};
