#pragma once
// Makes obj the last child of the target.
#include "RPC.h"

#include <cstdint>

class RPC_PlimBase_add : public RPC {
public:
    explicit RPC_PlimBase_add(PlimBase* target = nullptr, PlimBase* obj = nullptr);

    RuntimeClass* getClass() override;
    void netSerialize(Packet* packet) override;
    void addPropertiesTo(PlimBase* container) override;
    void call() override;

    static RuntimeClass runtimeClass;
    static void* create();

    PlimBase* target;
    PlimBase* obj;
};
