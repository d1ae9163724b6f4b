#pragma once
// A signed 32-bit field: "%d" text; a signed varint on the wire, unsigned with UNSIGNED.
#include "Property.h"

#include <cstdint>

class PropertyInt : public Property {
public:
    PropertyInt(const UString& name, int flags, int32_t* variable);
    RuntimeClass* getClass() override;

    void netSerializeProperty(Packet* packet) override;
    UString toString() override;
    // A text that converts to nothing leaves the variable unchanged.
    void fromString(const UString& text) override;

    static RuntimeClass runtimeClass;

    int32_t* variable;
};
