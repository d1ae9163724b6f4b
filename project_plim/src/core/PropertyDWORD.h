#pragma once
// An unsigned 32-bit field: text "%08x", 4 raw bytes on the wire.
#include "Property.h"

#include <cstdint>

class PropertyDWORD : public Property {
public:
    PropertyDWORD(const UString& name, int flags, uint32_t* variable);
    RuntimeClass* getClass() override;

    void netSerializeProperty(Packet* packet) override;
    UString toString() override;
    // A text that converts to nothing leaves the variable unchanged.
    void fromString(const UString& text) override;

    static RuntimeClass runtimeClass;

    uint32_t* variable;
};
