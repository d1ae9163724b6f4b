#pragma once
// A colour field: text AARRGGBB ("%08x"); on the wire the bytes blue, green, red, alpha.
#include "Property.h"

#include "util/UColor.h"

class PropertyUColor : public Property {
public:
    PropertyUColor(const UString& name, int flags, UColor* variable);
    RuntimeClass* getClass() override;

    void netSerializeProperty(Packet* packet) override;
    UString toString() override;
    // A text that converts to nothing leaves the variable unchanged.
    void fromString(const UString& text) override;

    static RuntimeClass runtimeClass;

    UColor* variable;
};
