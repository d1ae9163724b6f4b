#include "PlimEmulatedPacket.h"

#include <cstring>

PlimEmulatedPacket::PlimEmulatedPacket(const NetAddress& from, const NetAddress& to, const void* bytes, int length)
    : from(from), to(to), data(new uint8_t[length > 0 ? length : 1]), length(length > 0 ? length : 0) {
    if (this->length > 0)
        memcpy(data, bytes, this->length);
}

PlimEmulatedPacket::~PlimEmulatedPacket() { delete[] data; }
