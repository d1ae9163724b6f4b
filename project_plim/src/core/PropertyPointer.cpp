#include "PropertyPointer.h"

#include "serial/Packet.h"
#include "Plim.h"
#include "util/PlimUtil.h"
#include "ResourceManager.h"
#include "RuntimeClass.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

RuntimeClass PropertyPointer::runtimeClass("PropertyPointer", &Property::runtimeClass, nullptr);

RuntimeClass* PropertyPointer::getClass() { return &runtimeClass; }

PropertyPointer::PropertyPointer(const UString& name, int flags, void* pointerVariable,
                                 const RuntimeClass* pointee)
    : Property(name, flags), variable(pointerVariable), pointee(pointee) {}

// The bound variable may be any object pointer type; it is copied as bytes.
void* PropertyPointer::getPointer() const {
    void* value;
    memcpy(&value, variable, sizeof value);
    return value;
}

void PropertyPointer::setPointer(void* value) { memcpy(variable, &value, sizeof value); }

void PropertyPointer::netSerializeProperty(Packet* packet) {
    void* value = getPointer();
    if ((packet->flags & Packet::FLAG_FILTER2) && (flags & RAW_POINTER)) {
        // Only meaningful inside this process; a fixed 8-byte field holds any pointer.
        uint64_t raw = reinterpret_cast<uintptr_t>(value);
        packet->doBytes(&raw, 8);
        value = reinterpret_cast<void*>(static_cast<uintptr_t>(raw));
    } else if (flags & RESOURCE) {
        PlimBase* resource = static_cast<PlimBase*>(value);
        packet->doResourcePointer2(resource);
        value = resource;
    } else {
        PlimBase* object = static_cast<PlimBase*>(value);
        packet->doPointer2(object);
        value = object;
    }
    setPointer(value);
}

UString PropertyPointer::toString() {
    void* value = getPointer();
    ResourceManager* registry = PLIM ? PLIM->resourceManager : nullptr;
    if (registry) {
        UString name = registry->nameOf(static_cast<PlimBase*>(value));
        if (!name.isEmpty())
            return name;
    }
    if (!value)
        return UString("NULL");
    return formatString("%08" PRIxPTR, reinterpret_cast<uintptr_t>(value));
}

void PropertyPointer::fromString(const UString& text) {
    ResourceManager* registry = PLIM ? PLIM->resourceManager : nullptr;
    if (registry) {
        if (PlimBase* resource = registry->find(text, false)) {
            setPointer(resource);
            return;
        }
    }
    uintptr_t value;
    if (sscanf(text.c_str(), "%" SCNxPTR, &value) != 1)
        return;
    if (value == 0 || value >= 0x10000)
        setPointer(reinterpret_cast<void*>(value));
}
