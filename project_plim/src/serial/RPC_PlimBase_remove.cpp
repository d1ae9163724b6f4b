#include "RPC_PlimBase_remove.h"

#include "core/PlimBase.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_PlimBase_remove::runtimeClass(0x98AF025Cu, "_98af025c", &RPC::runtimeClass,
                                               &RPC_PlimBase_remove::create);

RPC_PlimBase_remove::RPC_PlimBase_remove(PlimBase* target, PlimBase* obj)
    : RPCChildCall(target, obj) {}

void RPC_PlimBase_remove::call() {
    // Only a child of the target can be unlinked from it.
    if (target && obj && obj->parent == target)
        target->doRemove(obj);
}
