#include "RPC_PlimBase_callNetPostReplicate.h"

#include "Packet.h"
#include "core/PlimBase.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_PlimBase_callNetPostReplicate::runtimeClass(0x67719AB0u, "_67719ab0", &RPC::runtimeClass,
                                                             &RPC_PlimBase_callNetPostReplicate::create);

RPC_PlimBase_callNetPostReplicate::RPC_PlimBase_callNetPostReplicate(PlimBase* target)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target) {}

void RPC_PlimBase_callNetPostReplicate::netSerialize(Packet* packet) { packet->doPointer2(target); }

void RPC_PlimBase_callNetPostReplicate::call() {
    if (target)
        target->netPostReplicate();
}
