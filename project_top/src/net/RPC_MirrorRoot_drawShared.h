#pragma once
// Runs MirrorRoot::doDrawShared on the server and on every client.
#include "serial/RPCCall.h"

class MirrorRoot;

class RPC_MirrorRoot_drawShared : public RPCCall<RPC_MirrorRoot_drawShared> {
public:
    explicit RPC_MirrorRoot_drawShared(MirrorRoot* target = nullptr);

    void netSerialize(Packet* packet) override;
    void call() override;

    static RuntimeClass runtimeClass;

    MirrorRoot* target;
};
