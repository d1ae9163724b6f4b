#pragma once
// Runs MirrorRoot::doEndMatch on the server and on every client.
#include "serial/RPCCall.h"

class MirrorRoot;

class RPC_MirrorRoot_endMatch : public RPCCall<RPC_MirrorRoot_endMatch> {
public:
    explicit RPC_MirrorRoot_endMatch(MirrorRoot* target = nullptr);

    void netSerialize(Packet* packet) override;
    void call() override;

    static RuntimeClass runtimeClass;

    MirrorRoot* target;
};
