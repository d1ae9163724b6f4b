#pragma once
// A named, typed, flagged handle on a field of an object, with a network form
// (through a Packet) and a text form. An object describes its replicated state
// as a tree of properties (addPropertiesTo); the tree is built for one use and
// deleted again, while the bound fields belong to the object.
#include "PlimBase.h"
#include "util/UString.h"

#include <cstdint>

class Packet;

class Property : public PlimBase {
public:
    // Flag bits.
    enum {
        FILTER1 = 0x001,     // never serialised by a container
        FILTER2 = 0x002,     // never serialised by a container
        HALF = 0x004,        // floats travel as 16-bit half floats
        FLAGGED = 0x010,     // what findFlagged looks for
        RESOURCE = 0x020,    // a pointer travels as a resource name
        UNSIGNED = 0x040,    // an integer travels as an unsigned varint
        RAW_POINTER = 0x100, // a pointer travels raw in packets with flag 2
        WRITE_ONLY = 0x200,  // a container passes it only to a writing packet
        READ_ONLY = 0x400    // a container passes it only to a reading packet
    };

    Property(const UString& name, int flags);
    ~Property() override;
    RuntimeClass* getClass() override;
    // Serialises the children unless the property's and the packet's flags
    // share filter 1 or 2; the value itself goes through netSerializeProperty.
    void netSerialize(Packet* packet) override;

    virtual void netSerializeProperty(Packet* packet) {}
    virtual UString toString() { return UString(); }
    virtual void fromString(const UString& text) {}

    // A property carrying FLAGGED: the children's subtrees are searched last
    // to first, then the property itself; null when none carries it.
    Property* findFlagged();
    // Deletes every property below whose flags share a bit with the mask.
    void destroyFlagged(int mask);

    static RuntimeClass runtimeClass;

    int32_t flags;
    UString name;

protected:
    // "%.9lf" without trailing zeros, keeping one digit after the point.
    static UString formatTrimmed(double value);
};
