#pragma once
// The base of every remote call class, over RPC: getClass answers with the
// call class's own record (Call::runtimeClass, defined by the call class with
// its fixed identifier), and create, the record's factory, makes a heap
// instance with the call class's default constructor.
#include "RPC.h"

template <class Call>
class RPCCall : public RPC {
public:
    explicit RPCCall(int flags) : RPC(flags) {}

    RuntimeClass* getClass() override { return &Call::runtimeClass; }
    static void* create() { return static_cast<RPC*>(new Call()); }
};
