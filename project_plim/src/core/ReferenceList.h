#pragma once
// Head of one object's list of weak references, in the order they were set.
// Destroying it clears every reference, first to last, telling each owner.
#include "BasicLink.h"

class ReferenceList : public BasicLink {
public:
    ReferenceList() = default;
    ~ReferenceList() override;
};
