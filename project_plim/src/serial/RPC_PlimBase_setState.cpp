#include "RPC_PlimBase_setState.h"

#include "Packet.h"
#include "core/PlimBase.h"
#include "core/PropertyDouble.h"
#include "core/PropertyInt.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_PlimBase_setState::runtimeClass(0x7B13321Bu, "_7b13321b", &RPC::runtimeClass,
                                                 &RPC_PlimBase_setState::create);

RPC_PlimBase_setState::RPC_PlimBase_setState(PlimBase* target, int32_t _stateGoto, double _stateLeft)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target), _stateGoto(_stateGoto), _stateLeft(_stateLeft) {}

void RPC_PlimBase_setState::netSerialize(Packet* packet) {
    packet->doPointer2(target);
    packet->doInt(&_stateGoto);
    packet->doHalfDouble(&_stateLeft);
}

void RPC_PlimBase_setState::addPropertiesTo(PlimBase* container) {
    container->addChild(new PropertyInt("_stateGoto", 0, &_stateGoto));
    container->addChild(new PropertyDouble("_stateLeft", Property::HALF, &_stateLeft));
}

void RPC_PlimBase_setState::call() {
    if (target)
        target->doSetState(_stateGoto, _stateLeft);
}
