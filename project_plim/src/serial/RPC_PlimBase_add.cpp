#include "RPC_PlimBase_add.h"

#include "core/PlimBase.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC_PlimBase_add::runtimeClass(0x02468B57u, "_02468b57", &RPC::runtimeClass,
                                            &RPC_PlimBase_add::create);

RPC_PlimBase_add::RPC_PlimBase_add(PlimBase* target, PlimBase* obj)
    : RPCChildCall(target, obj) {}

void RPC_PlimBase_add::call() {
    if (!target || !obj)
        return;
    // A received call may name an object that already sits in a list, one
    // whose subtree holds the target, or the root.
    if (!target->mayAdopt(obj))
        return;
    if (obj->parent)
        obj->parent->removeChild(obj);
    target->doAdd(obj);
}
