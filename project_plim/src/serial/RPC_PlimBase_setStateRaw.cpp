#include "RPC_PlimBase_setStateRaw.h"

#include "Packet.h"
#include "core/PlimBase.h"
#include "core/PropertyInt.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_PlimBase_setStateRaw::runtimeClass(0x21AE2A05u, "_21ae2a05", &RPC::runtimeClass,
                                                    &RPC_PlimBase_setStateRaw::create);

RPC_PlimBase_setStateRaw::RPC_PlimBase_setStateRaw(PlimBase* target, int32_t _state)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target), _state(_state) {}

void RPC_PlimBase_setStateRaw::netSerialize(Packet* packet) {
    packet->doPointer2(target);
    packet->doInt(&_state);
}

void RPC_PlimBase_setStateRaw::addPropertiesTo(PlimBase* container) {
    container->addChild(new PropertyInt("_state", 0, &_state));
}

void RPC_PlimBase_setStateRaw::call() {
    if (target)
        target->state = _state;
}
