#pragma once
// The engine's transport as a benchmark endpoint, with the idle messages that
// carry acknowledgements and resend requests when there is nothing else to
// send. The transport has no window of its own: this endpoint holds its pieces
// to the same message bytes in flight as ENet's window.
#include "net/NetAddress.h"
#include "net/NetHost.h"
#include "TransportEndpoint.h"

#include <deque>
#include <utility>
#include <vector>

class Node;

class OurTransportEndpoint : public TransportEndpoint, public NetHost {
public:
    explicit OurTransportEndpoint(bool server);
    ~OurTransportEndpoint() override;
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
    // Ours, lent to the host: detached while a message is cut into pieces,
    // which the endpoint then sends itself as the window allows.
    NetConnection* socket = nullptr;
    // A piece made and not yet acknowledged, with its share of its message's bytes.
    struct Piece {
        Packet* packet;
        int32_t sequence;
        long bytes;
    };
    void open();
    Node* peer();
    // Queues the message's pieces without sending them.
    void makePieces(const std::vector<uint8_t>& message, Node* to);
    // Sends held pieces, in order, while they fit beside those in flight.
    void release();
    // Forgets pieces in flight that the peer has acknowledged.
    void dropAcknowledgedPieces(Node* to);
    NetAddress target;
    double nextConnect = 0.0, lastSend = 0.0;
    int32_t lastDataSequence = 0;
    // The peer's sequence number our latest datagram acknowledged.
    int32_t ackSent = 0;
    // Idle messages among the pieces that came since.
    int32_t idleSinceAck = 0;
    // Per message sent: its last piece's sequence number and its length.
    std::deque<std::pair<int32_t, long>> inFlight;
    long inFlightBytes = 0;
    std::deque<Piece> heldPieces, sentPieces;
    long sentPieceBytes = 0;
    std::vector<Packet*> releaseBatch;
    bool needReply = false, sentThisTick = false, hadPeer = false;
};
