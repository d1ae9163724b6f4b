#pragma once
// Reliable ENet on one channel as a benchmark endpoint, held to the same
// window as ours: its throttle may not shrink it.
#include "TransportEndpoint.h"

#include <enet/enet.h>

class EnetTransportEndpoint : public TransportEndpoint {
public:
    ~EnetTransportEndpoint() override;
    int listen() override;
    void connect(int port) override;
    bool connected() override { return peer != nullptr; }
    long unacknowledged() override { return inFlightBytes; }
    void send(const std::vector<uint8_t>& message) override;
    void service() override;
    void flush() override { enet_host_flush(host); }
    long datagrams() override { return long(host->totalSentPackets) + long(host->totalReceivedPackets); }

private:
    static enet_uint32 timeoutMs() { return enet_uint32(CONNECTION_TIMEOUT * 1000.0); }
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    long inFlightBytes = 0;
};
