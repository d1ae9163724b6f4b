#include "PropertyFloat.h"

#include "serial/Packet.h"
#include "RuntimeClass.h"

#include <cstdio>

RuntimeClass PropertyFloat::runtimeClass("PropertyFloat", &Property::runtimeClass, nullptr);

RuntimeClass* PropertyFloat::getClass() { return &runtimeClass; }

PropertyFloat::PropertyFloat(const UString& name, int flags, float* variable)
    : Property(name, flags), variable(variable) {}

void PropertyFloat::netSerializeProperty(Packet* packet) {
    if (flags & HALF)
        packet->doHalf(variable);
    else
        packet->doBytes(variable, 4);
}

UString PropertyFloat::toString() { return formatTrimmed(*variable); }

void PropertyFloat::fromString(const UString& text) {
    float value;
    if (sscanf(text.c_str(), "%f", &value) == 1)
        *variable = value;
}
