#include "net/NetMirrorClasses.h"

#include "RuntimeClass.h"
#include "RuntimeClassManager.h"
#include "net/MirrorRoot.h"
#include "net/RPC_MirrorRoot_drawShared.h"
#include "net/RPC_MirrorRoot_endMatch.h"

void registerNetMirrorClasses() {
    RuntimeClassManager* classes = RuntimeClassManager::getInstance();
    classes->registerClass(&MirrorRoot::runtimeClass);
    classes->registerClass(&RPC_MirrorRoot_drawShared::runtimeClass);
    classes->registerClass(&RPC_MirrorRoot_endMatch::runtimeClass);
    RuntimeClass::buildIndex();
}
