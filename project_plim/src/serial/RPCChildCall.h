#pragma once
// The base of the remote calls that link or unlink one object among a
// target's children: both pointers travel, the target first, and the object
// is the call's one property. Both sides run them.
#include "RPCCall.h"

#include "Packet.h"
#include "core/PlimBase.h"
#include "core/PropertyPointer.h"

template <class Call>
class RPCChildCall : public RPCCall<Call> {
public:
    RPCChildCall(PlimBase* target, PlimBase* obj)
        : RPCCall<Call>(RPC::RUNS_ON_SERVER | RPC::RUNS_ON_CLIENT), target(target), obj(obj) {}

    void netSerialize(Packet* packet) override {
        packet->doPointer2(target);
        packet->doPointer2(obj);
    }
    void addPropertiesTo(PlimBase* container) override {
        container->addChild(new PropertyPointer("obj", 0, &obj, &PlimBase::runtimeClass));
    }

    PlimBase* target;
    PlimBase* obj;
};
