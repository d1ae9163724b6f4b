#pragma once
// Runs the target's doSetState; the delay travels as a half float.
#include "RPC.h"

#include <cstdint>

class RPC_PlimBase_setState : public RPC {
public:
    explicit RPC_PlimBase_setState(PlimBase* target = nullptr, int32_t _stateGoto = 0,
                                   double _stateLeft = 0.0);

    RuntimeClass* getClass() override;
    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;
    static void* create();

    PlimBase* target;
    int32_t _stateGoto;
    double _stateLeft;
};
