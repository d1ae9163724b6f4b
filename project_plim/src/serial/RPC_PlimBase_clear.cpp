#include "RPC_PlimBase_clear.h"

#include "Packet.h"
#include "core/PlimBase.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_PlimBase_clear::runtimeClass(0xAE3F6255u, "_ae3f6255", &RPC::runtimeClass,
                                              &RPC_PlimBase_clear::create);

RPC_PlimBase_clear::RPC_PlimBase_clear(PlimBase* target)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target) {}

void RPC_PlimBase_clear::netSerialize(Packet* packet) { packet->doPointer2(target); }

void RPC_PlimBase_clear::call() {
    if (target)
        target->doClear();
}
