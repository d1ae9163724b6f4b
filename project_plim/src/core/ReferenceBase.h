#pragma once
// A weak reference: a node in its target's reference list. When the target is
// destroyed the reference becomes null and its owner receives
// EVENT_REFERENCE_CLEARED through the engine's event manager.
#include "BasicLink.h"

class Packet;
class PlimBase;

class ReferenceBase : public BasicLink {
public:
    explicit ReferenceBase(PlimBase* owner) : owner(owner) {}
    // Clears the reference, telling the owner when it had a target.
    ~ReferenceBase() override;

    // Moves the reference to the end of newTarget's list (also when it is the
    // same target). Going from a target to null tells the owner.
    void set(PlimBase* newTarget);
    // The target as an object reference; a read target is applied with set.
    void netSerialize(Packet* packet);

    PlimBase* target = nullptr;
    PlimBase* owner;
};
