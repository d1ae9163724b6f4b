#include "RPC.h"

#include "core/ErrorManager.h"
#include "ReplicationRole.h"
#include "core/RuntimeClass.h"

RuntimeClass RPC::runtimeClass("RPC", &RPC::runtimeClass, &RPC::create);

RuntimeClass* RPC::getClass() { return &runtimeClass; }

void* RPC::create() { return static_cast<RPC*>(new RPC(0)); }

RPC::RPC(int flags)
    : bRunsOnServer((flags & RUNS_ON_SERVER) != 0), bRunsOnClient((flags & RUNS_ON_CLIENT) != 0),
      bCallableFromClient((flags & CALLABLE_FROM_CLIENT) != 0) {}

RPC::~RPC() {}

void RPC::invoke() {
    if (executeRemotely())
        THEROLE->writeRPC(this, nullptr);
}

bool RPC::executeRemotely() {
    ReplicationRole* role = THEROLE;
    if (!role)
        return false;
    bool server = role->isServerSide();
    if (!bCallableFromClient && !server && bRunsOnServer && !role->bExecutesOnServer)
        PLIM_ERROR("Can't call '%s' client-side.", getClass()->name.c_str());
    if (server && bRunsOnClient && !role->bExecutesOnClient)
        return true;
    if (!server && bCallableFromClient && bRunsOnServer && !role->bExecutesOnServer)
        return true;
    return false;
}

void RPC::executeLocally() {
    ReplicationRole* role = THEROLE;
    if (!role) {
        call();
        return;
    }
    bool server = role->isServerSide();
    if ((server && !bRunsOnServer) || (!server && !bRunsOnClient))
        return;
    bool savedOnServer = role->bExecutesOnServer;
    bool savedOnClient = role->bExecutesOnClient;
    role->bExecutesOnServer = bRunsOnServer;
    role->bExecutesOnClient = bRunsOnClient;
    call();
    // The call may have ended the role (or replaced the current one).
    if (THEROLE == role) {
        role->bExecutesOnServer = savedOnServer;
        role->bExecutesOnClient = savedOnClient;
    }
}
