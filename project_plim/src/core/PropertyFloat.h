#pragma once
// A float field: trimmed "%.9lf" text; on the wire its 4 raw bytes, or a half float with HALF.
#include "Property.h"

#include <cstdint>

class PropertyFloat : public Property {
public:
    PropertyFloat(const UString& name, int flags, float* variable);
    RuntimeClass* getClass() override;

    void netSerializeProperty(Packet* packet) override;
    UString toString() override;
    // A text that converts to nothing leaves the variable unchanged.
    void fromString(const UString& text) override;

    static RuntimeClass runtimeClass;

    float* variable;
};
