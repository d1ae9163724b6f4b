#include "RPC_MirrorRoot_endMatch.h"

#include "serial/Packet.h"
#include "core/RuntimeClass.h"
#include "MirrorRoot.h"

RuntimeClass RPC_MirrorRoot_endMatch::runtimeClass("RPC_MirrorRoot_endMatch", &RPC::runtimeClass,
                                                  &RPC_MirrorRoot_endMatch::create);

RPC_MirrorRoot_endMatch::RPC_MirrorRoot_endMatch(MirrorRoot* target)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target) {}

void RPC_MirrorRoot_endMatch::netSerialize(Packet* packet) {
    PlimBase* object = target;
    packet->doPointer2(object);
    // An identifier read from the wire may name an object of another class.
    bool isRoot = object && object->getClass()->isKindOf(&MirrorRoot::runtimeClass);
    target = isRoot ? static_cast<MirrorRoot*>(object) : nullptr;
}

void RPC_MirrorRoot_endMatch::call() {
    if (target) target->doEndMatch();
}
