#include "RPC_RootObjectBase_randomSeed.h"

#include "Packet.h"
#include "ReplicationRole.h"
#include "core/PlimBase.h"
#include "core/PropertyDWORD.h"
#include "RootObjectBase.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_RootObjectBase_randomSeed::runtimeClass(0xCFAD751Bu, "_cfad751b", &RPC::runtimeClass,
                                                         &RPC_RootObjectBase_randomSeed::create);

RPC_RootObjectBase_randomSeed::RPC_RootObjectBase_randomSeed(RootObjectBase* target, uint32_t seed)
    : RPCCall(RUNS_ON_SERVER | RUNS_ON_CLIENT), target(target), seed(seed) {}

void RPC_RootObjectBase_randomSeed::netSerialize(Packet* packet) {
    PlimBase* object = target;
    packet->doPointer2(object);
    // An identifier read from the wire may name an object of another class.
    bool isRoot = object && object->getClass()->isKindOf(&RootObjectBase::runtimeClass);
    target = isRoot ? static_cast<RootObjectBase*>(object) : nullptr;
    packet->doBytes(&seed, 4);
}

void RPC_RootObjectBase_randomSeed::addPropertiesTo(PlimBase* container) {
    container->addChild(new PropertyDWORD("seed", 0, &seed));
}

void RPC_RootObjectBase_randomSeed::call() {
    if (THEROLE)
        THEROLE->seedRandom(seed);
}
