#pragma once
// The engine's network part: the [PlimNetwork] settings and the in-process
// queue through which connections bound to 127.0.0.1 talk to each other while
// bEmulateLocalhost is set, with no socket.
#include "core/PlimBase.h"
#include "util/UString.h"
#include "NetAddress.h"

#include <cstdint>

class RuntimeClass;

class PlimNetwork {
public:
    // The emulation carries no datagram longer than a connection can receive.
    enum { MAX_EMULATED_DATAGRAM = 65536 };

    PlimNetwork();
    virtual RuntimeClass* getClass();
    virtual ~PlimNetwork();
    static RuntimeClass runtimeClass;

    // Queues a copy; a datagram over MAX_EMULATED_DATAGRAM bytes is refused (logged).
    void queueEmulatedPacket(const NetAddress& from, const NetAddress& to, const void* bytes, int count);
    // The oldest datagram for own, removed from the queue. The buffer holds
    // MAX_EMULATED_DATAGRAM bytes.
    bool receiveEmulatedPacket(const NetAddress& own, NetAddress* from, void* buffer, int* count);
    // Drops every queued datagram sent from the address.
    void flushEmulatedPackets(const NetAddress& from);
    // 1, 2, 3 ... in order of asking.
    uint16_t nextEmulatedPort();
    int getQueueLength() const;

    static UString errorText(int error);

    bool bEmulateLocalhost = false;
    uint16_t emulatedPortCounter = 1;
    PlimBase emulatedPackets;
};
