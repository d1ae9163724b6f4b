#include "RootObjectBase.h"

#include "core/Logger.h"
#include "core/PropertyInt.h"
#include "RPC_RootObjectBase_destroyObject.h"
#include "RPC_RootObjectBase_randomSeed.h"
#include "ReplicationRole.h"
#include "core/RuntimeClass.h"

RuntimeClass RootObjectBase::runtimeClass(0x04790976u, "_04790976", &PlimBase::runtimeClass,
                                          &RootObjectBase::create);

RuntimeClass* RootObjectBase::getClass() { return &runtimeClass; }

void* RootObjectBase::create() { return static_cast<PlimBase*>(new RootObjectBase()); }

RootObjectBase::RootObjectBase() {}

void RootObjectBase::addPropertiesTo(PlimBase* container) {
    PlimBase::addPropertiesTo(container);
    // The counter belongs to the role; without one there is nothing to carry.
    if (THEROLE)
        container->addChild(
            new PropertyInt("THEROLE->nextObjectUID", Property::UNSIGNED, &THEROLE->nextObjectUID));
}

void RootObjectBase::randomSeed(uint32_t seed) {
    RPC_RootObjectBase_randomSeed call(this, seed);
    call.invoke();
    call.executeLocally();
}

void RootObjectBase::destroyObject(PlimBase* o) {
    RPC_RootObjectBase_destroyObject call(this, o);
    call.invoke();
    call.executeLocally();
}

void RootObjectBase::doDestroyObject(PlimBase* o) {
    if (!o)
        return;
    ReplicationRole* role = THEROLE;
    if (role && o == role->root) {
        // The root lives as long as its role; deleting it would leave the role
        // pointing at freed memory.
        logTagged("doDestroyObject", "Refusing to destroy the root object.");
        return;
    }
    if (role)
        role->unregisterObject(o);
    delete o;
}
