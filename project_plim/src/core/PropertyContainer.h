#pragma once
// A named group of properties (its children); its network form is its
// children's, filtered by their flags.
#include "Property.h"

class PropertyContainer : public Property {
public:
    PropertyContainer(const UString& name, int flags);
    RuntimeClass* getClass() override;

    // Each live child in order, except those with FILTER1 or FILTER2, those
    // with WRITE_ONLY when reading and those with READ_ONLY when writing.
    void netSerializeProperty(Packet* packet) override;
    // "..." with children, "(empty)" without.
    UString toString() override;

    static RuntimeClass runtimeClass;
};
