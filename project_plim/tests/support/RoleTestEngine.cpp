#include "RoleTestEngine.h"

#include "core/Plim.h"
#include "core/RuntimeClass.h"
#include "core/RuntimeClassManager.h"
#include "core/TimeKeeper.h"
#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "util/PlimUtil.h"

void RoleTestEngine::registerUpperLayerRecords() {
    static RuntimeClass records[] = {
        {"ContextAutoConfigure", nullptr, nullptr}, {"ContextManager", nullptr, nullptr},
        {"ContextBlender", nullptr, nullptr},       {"FontQuad", nullptr, nullptr},
        {"FontQuadCacheEntry", nullptr, nullptr},
    };
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (RuntimeClass& r : records)
        RuntimeClassManager::getInstance()->registerClass(&r);
}

RoleTestEngine::RoleTestEngine() {
    registerUpperLayerRecords();
    RuntimeClass::buildIndex();
    engine->frameTimer.startTime = engine->frameTimer.previousStart = engine->timeKeeper->getTime();
}

void RoleTestEngine::frame(double dt) {
    advance(dt);
    engine->frameTimer.previousStart = engine->frameTimer.startTime;
    engine->frameTimer.startTime = engine->timeKeeper->getTime();
}

void RoleTestEngine::tickRoles(double dt, NetRole* a, NetRole* b) {
    frame(dt);
    a->tick(0.0, 0.0);
    if (b)
        b->tick(0.0, 0.0);
}

NetRole* RoleTestEngine::makeRole(bool isServer) {
    NetRole* role = new NetRole(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, isServer ? "server" : "peer", 0, isServer);
    role->setConnection(new NetConnection(NetAddress(UString("127.0.0.1"), 0)), true);
    role->setMaxPeers(8);
    return role;
}
