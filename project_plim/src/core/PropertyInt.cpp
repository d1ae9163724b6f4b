#include "PropertyInt.h"

#include "serial/Packet.h"
#include "util/PlimUtil.h"
#include "RuntimeClass.h"

#include <cstdio>

RuntimeClass PropertyInt::runtimeClass("PropertyInt", &Property::runtimeClass, nullptr);

RuntimeClass* PropertyInt::getClass() { return &runtimeClass; }

PropertyInt::PropertyInt(const UString& name, int flags, int32_t* variable)
    : Property(name, flags), variable(variable) {}

void PropertyInt::netSerializeProperty(Packet* packet) {
    if (flags & UNSIGNED)
        packet->doUInt(variable);
    else
        packet->doInt(variable);
}

UString PropertyInt::toString() { return formatString("%d", *variable); }

void PropertyInt::fromString(const UString& text) {
    int value;
    if (sscanf(text.c_str(), "%d", &value) == 1)
        *variable = value;
}
