#include "RPC_PlimBase_callNetPostReplicateGlobal.h"

#include "Packet.h"
#include "core/PlimBase.h"
#include "core/RuntimeClass.h"

RuntimeClass
    RPC_PlimBase_callNetPostReplicateGlobal::runtimeClass(0x9A4605A1u, "_9a4605a1", &RPC::runtimeClass,
                                                          &RPC_PlimBase_callNetPostReplicateGlobal::create);

RPC_PlimBase_callNetPostReplicateGlobal::RPC_PlimBase_callNetPostReplicateGlobal(PlimBase* target)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target) {}

void RPC_PlimBase_callNetPostReplicateGlobal::netSerialize(Packet* packet) { packet->doPointer2(target); }

void RPC_PlimBase_callNetPostReplicateGlobal::call() {
    if (target)
        target->netPostReplicateGlobal();
}
