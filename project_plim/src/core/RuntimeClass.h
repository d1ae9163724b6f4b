#pragma once
// The engine's own record of a class: name, 32-bit identifier, position in the
// name-sorted table, factory and base class record. Every engine class keeps
// its record as a static member `runtimeClass` and returns it from getClass().
//
// Records are registered explicitly, never by static construction (static
// libraries would drop unreferenced ones): each layer lists its records in one
// registration function (the engine's is registerPlimClasses, PlimClasses.cpp).
// To add a class: define `RuntimeClass X::runtimeClass("X", &Base::runtimeClass,
// factory)` in X.cpp and append &X::runtimeClass to its layer's list.
#include "util/UString.h"

#include <cstdint>

class RuntimeClass {
public:
    // Makes a new object of the class. Engine objects are returned as their
    // BasicLink/PlimBase pointer, remote calls as their RPC pointer.
    typedef void* (*Factory)();

    // A parent equal to the record itself is stored as null (a root class).
    RuntimeClass(uint32_t id, const UString& name, RuntimeClass* parent, Factory factory);
    // The usual form: the identifier is the hash of the name.
    RuntimeClass(const char* name, RuntimeClass* parent, Factory factory);
    virtual ~RuntimeClass();
    RuntimeClass(const RuntimeClass&) = delete;
    RuntimeClass& operator=(const RuntimeClass&) = delete;

    // h = h*33 + c over the name's bytes, each a signed char, wrapping at 32 bits.
    static constexpr uint32_t hashName(const char* name) {
        uint32_t h = 0;
        for (; *name; ++name)
            h = h * 33u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*name)));
        return h;
    }

    // True when other is this record or one of its bases.
    bool isKindOf(const RuntimeClass* other) const;
    // A new object, or null for a class without a factory.
    void* create() const;
    // The newest registered record with the identifier; null when none has it.
    static RuntimeClass* findById(uint32_t id);
    // Fills the registry's name-sorted table and every record's index.
    static void buildIndex();
    // The start-up listing line: "%d (%08x): %s" with index, id and name.
    UString describe() const;

    UString name;
    uint32_t id;
    int32_t index = -1;
    Factory factory;
    RuntimeClass* next = nullptr;   // registration list
    RuntimeClass* parent;
};
