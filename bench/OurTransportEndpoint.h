#pragma once
// The engine's transport as a benchmark endpoint, with the idle messages that
// carry acknowledgements and resend requests when there is nothing else to send.
#include "net/NetAddress.h"
#include "net/NetHost.h"
#include "TransportEndpoint.h"

#include <deque>
#include <utility>

class Node;

class OurTransportEndpoint : public TransportEndpoint, public NetHost {
public:
    explicit OurTransportEndpoint(bool server);
    int listen() override;
    void connect(int port) override;
    bool connected() override { return peer() != nullptr; }
    long unacknowledged() override;
    void send(const std::vector<uint8_t>& message) override;
    void service() override;
    void flush() override;
    long datagrams() override;
    void processPacket(Packet* packet) override;

private:
    void open();
    Node* peer();
    NetAddress target;
    double nextConnect = 0.0, lastSend = 0.0;
    int32_t lastDataSequence = 0;
    // Per message sent: its last piece's sequence number and its length.
    std::deque<std::pair<int32_t, long>> inFlight;
    long inFlightBytes = 0;
    bool needReply = false, sentThisTick = false, hadPeer = false;
};
