#include "PropertyUColor.h"

#include "serial/Packet.h"
#include "util/PlimUtil.h"
#include "RuntimeClass.h"

#include <cstdio>

RuntimeClass PropertyUColor::runtimeClass("PropertyUColor", &Property::runtimeClass, nullptr);

RuntimeClass* PropertyUColor::getClass() { return &runtimeClass; }

PropertyUColor::PropertyUColor(const UString& name, int flags, UColor* variable)
    : Property(name, flags), variable(variable) {}

void PropertyUColor::netSerializeProperty(Packet* packet) { packet->doColor(variable); }

UString PropertyUColor::toString() {
    const UColor& c = *variable;
    return formatString("%08x", uint32_t(c.a) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
}

void PropertyUColor::fromString(const UString& text) {
    unsigned int argb;
    if (sscanf(text.c_str(), "%x", &argb) == 1)
        *variable = UColor(uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24));
}
