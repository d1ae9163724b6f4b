#pragma once
// A double field: trimmed "%.9lf" text; on the wire a 4-byte float, or a half float with HALF.
#include "Property.h"

#include <cstdint>

class PropertyDouble : public Property {
public:
    PropertyDouble(const UString& name, int flags, double* variable);
    RuntimeClass* getClass() override;

    void netSerializeProperty(Packet* packet) override;
    UString toString() override;
    // A text that converts to nothing leaves the variable unchanged.
    void fromString(const UString& text) override;

    static RuntimeClass runtimeClass;

    double* variable;
};
