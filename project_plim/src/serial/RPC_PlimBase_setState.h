#pragma once
// Runs the target's doSetState; the delay travels as a half float.
#include "RPCCall.h"

#include <cstdint>

class RPC_PlimBase_setState : public RPCCall<RPC_PlimBase_setState> {
public:
    explicit RPC_PlimBase_setState(PlimBase* target = nullptr, int32_t _stateGoto = 0,
                                   double _stateLeft = 0.0);

    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;

    PlimBase* target;
    int32_t _stateGoto;
    double _stateLeft;
};
