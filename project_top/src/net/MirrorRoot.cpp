#include "MirrorRoot.h"

#include "core/PropertyInt.h"
#include "serial/ReplicationRole.h"
#include "core/RuntimeClass.h"
#include "net/NetRole.h"
#include "RPC_MirrorRoot_drawShared.h"
#include "RPC_MirrorRoot_endMatch.h"

RuntimeClass MirrorRoot::runtimeClass("MirrorRoot", &RootObjectBase::runtimeClass, &MirrorRoot::create);

RuntimeClass* MirrorRoot::getClass() { return &runtimeClass; }

void* MirrorRoot::create() { return static_cast<PlimBase*>(new MirrorRoot()); }

MirrorRoot::MirrorRoot() {}

void MirrorRoot::addPropertiesTo(PlimBase* container) {
    RootObjectBase::addPropertiesTo(container);
    container->addChild(new PropertyInt("sharedDraw", 0, &sharedDraw));
    container->addChild(new PropertyInt("draws", 0, &draws));
}

void MirrorRoot::tick(double, double) {}

void MirrorRoot::drawShared() {
    RPC_MirrorRoot_drawShared call(this);
    call.invoke();
    call.executeLocally();
}

void MirrorRoot::endMatch() {
    RPC_MirrorRoot_endMatch call(this);
    call.invoke();
    call.executeLocally();
}

void MirrorRoot::doDrawShared() {
    if (!THEROLE) return;
    sharedDraw = int32_t(THEROLE->random.getI(DRAW_RANGE));
    ++draws;
}

void MirrorRoot::doEndMatch() {
    bEnded = true;
    NetRole* role = dynamic_cast<NetRole*>(THEROLE);
    if (!role) return;
    endHash = role->worldHash();
    endObjects = int32_t(role->objectMap.size());
}
