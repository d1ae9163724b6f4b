#include "PropertyDouble.h"

#include "serial/Packet.h"
#include "RuntimeClass.h"

#include <cstdio>

RuntimeClass PropertyDouble::runtimeClass("PropertyDouble", &Property::runtimeClass, nullptr);

RuntimeClass* PropertyDouble::getClass() { return &runtimeClass; }

PropertyDouble::PropertyDouble(const UString& name, int flags, double* variable)
    : Property(name, flags), variable(variable) {}

void PropertyDouble::netSerializeProperty(Packet* packet) {
    if (flags & HALF)
        packet->doHalfDouble(variable);
    else
        packet->doDouble(variable);
}

UString PropertyDouble::toString() { return formatTrimmed(*variable); }

void PropertyDouble::fromString(const UString& text) {
    double value;
    if (sscanf(text.c_str(), "%lf", &value) == 1)
        *variable = value;
}
