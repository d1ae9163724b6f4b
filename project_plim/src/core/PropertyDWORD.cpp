#include "PropertyDWORD.h"

#include "serial/Packet.h"
#include "util/PlimUtil.h"
#include "RuntimeClass.h"

#include <cstdio>

RuntimeClass PropertyDWORD::runtimeClass("PropertyDWORD", &Property::runtimeClass, nullptr);

RuntimeClass* PropertyDWORD::getClass() { return &runtimeClass; }

PropertyDWORD::PropertyDWORD(const UString& name, int flags, uint32_t* variable)
    : Property(name, flags), variable(variable) {}

void PropertyDWORD::netSerializeProperty(Packet* packet) { packet->doBytes(variable, 4); }

UString PropertyDWORD::toString() { return formatString("%08x", *variable); }

void PropertyDWORD::fromString(const UString& text) {
    unsigned int value;
    if (sscanf(text.c_str(), "%x", &value) == 1)
        *variable = value;
}
