#include "NetMirrorClasses.h"

#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "MirrorRoot.h"
#include "RPC_MirrorRoot_drawShared.h"
#include "RPC_MirrorRoot_endMatch.h"

void registerNetMirrorClasses() {
    RuntimeClassManager* classes = RuntimeClassManager::getInstance();
    classes->registerClass(&MirrorRoot::runtimeClass);
    classes->registerClass(&RPC_MirrorRoot_drawShared::runtimeClass);
    classes->registerClass(&RPC_MirrorRoot_endMatch::runtimeClass);
    RuntimeClass::buildIndex();
}
