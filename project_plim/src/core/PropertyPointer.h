#pragma once
// A pointer field (an engine object or a resource). Text: the resource name,
// else "NULL" or the pointer in hex. Wire: the raw pointer (RAW_POINTER in a
// packet with flag 2), the resource name (RESOURCE), else the replicated
// object's identifier.
#include "Property.h"

class PropertyPointer : public Property {
public:
    // pointerVariable is the address of the bound pointer; pointee names the
    // class it is declared to point to (kept, not consulted).
    PropertyPointer(const UString& name, int flags, void* pointerVariable, const RuntimeClass* pointee);
    RuntimeClass* getClass() override;

    void netSerializeProperty(Packet* packet) override;
    UString toString() override;
    // A registered resource name, else hex; values 1 to 0xFFFF are ignored.
    void fromString(const UString& text) override;
    // Stores the value into the bound variable.
    virtual void setPointer(void* value);

    void* getPointer() const;

    static RuntimeClass runtimeClass;

    void* variable;
    const RuntimeClass* pointee;
};
