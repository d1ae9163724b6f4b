#include "RPC_PlimBase_remove.h"

#include "Packet.h"
#include "core/PlimBase.h"
#include "core/PropertyPointer.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_PlimBase_remove::runtimeClass(0x98AF025Cu, "_98af025c", &RPC::runtimeClass,
                                               &RPC_PlimBase_remove::create);

RPC_PlimBase_remove::RPC_PlimBase_remove(PlimBase* target, PlimBase* obj)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target), obj(obj) {}

void RPC_PlimBase_remove::netSerialize(Packet* packet) {
    packet->doPointer2(target);
    packet->doPointer2(obj);
}

void RPC_PlimBase_remove::addPropertiesTo(PlimBase* container) {
    container->addChild(new PropertyPointer("obj", 0, &obj, &PlimBase::runtimeClass));
}

void RPC_PlimBase_remove::call() {
    // Only a child of the target can be unlinked from it.
    if (target && obj && obj->parent == target)
        target->doRemove(obj);
}
