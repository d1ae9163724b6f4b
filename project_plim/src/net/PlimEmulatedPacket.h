#pragma once
// One datagram waiting in the localhost emulation's queue.
#include "core/PlimBase.h"
#include "NetAddress.h"

#include <cstdint>

class PlimEmulatedPacket : public PlimBase {
public:
    PlimEmulatedPacket(const NetAddress& from, const NetAddress& to, const void* bytes, int length);
    ~PlimEmulatedPacket() override;

    NetAddress from;
    NetAddress to;
    uint8_t* data;
    int32_t length;
};
