#include "RPC_RootObjectBase_destroyObject.h"

#include "Packet.h"
#include "core/PlimBase.h"
#include "core/PropertyPointer.h"
#include "RootObjectBase.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_RootObjectBase_destroyObject::runtimeClass(0x4472EF3Au, "_4472ef3a", &RPC::runtimeClass,
                                                            &RPC_RootObjectBase_destroyObject::create);

RPC_RootObjectBase_destroyObject::RPC_RootObjectBase_destroyObject(RootObjectBase* target, PlimBase* o)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target), o(o) {}

void RPC_RootObjectBase_destroyObject::netSerialize(Packet* packet) {
    PlimBase* object = target;
    packet->doPointer2(object);
    // An identifier read from the wire may name an object of another class.
    bool isRoot = object && object->getClass()->isKindOf(&RootObjectBase::runtimeClass);
    target = isRoot ? static_cast<RootObjectBase*>(object) : nullptr;
    packet->doPointer2(o);
}

void RPC_RootObjectBase_destroyObject::addPropertiesTo(PlimBase* container) {
    container->addChild(new PropertyPointer("o", 0, &o, &PlimBase::runtimeClass));
}

void RPC_RootObjectBase_destroyObject::call() {
    if (target)
        target->doDestroyObject(o);
}
