#include "OurTransportEndpoint.h"

#include "net/NetConnection.h"
#include "net/NetStats.h"
#include "net/NetTime.h"
#include "net/Node.h"
#include "util/PlimUtil.h"

namespace {
const uint32_t LOOPBACK = 0x7f000001u;
const double CONNECT_RETRY = 0.5;
// Unacknowledged data gets an idle message after this; with nothing to say, one
// goes after the longer interval anyway.
const double ACK_PROMPT = 0.01;
const double KEEPALIVE = 1.0;
// A held piece's send time: never overdue for a resend before it went.
const double NOT_SENT = 1e300;
} // namespace

OurTransportEndpoint::OurTransportEndpoint(bool server)
    : NetHost(PLIM_BUILD_NAME, NetHost::WIRE_VERSION, "bench", 0, server) {
    setMaxPeers(1);
    setTimeout(CONNECTION_TIMEOUT);
}

// The host deletes the socket after its last disconnects.
OurTransportEndpoint::~OurTransportEndpoint() {
    if (socket) setConnection(socket, true);
}

int OurTransportEndpoint::listen() {
    open();
    return getConnection()->getAddress().getPort();
}

void OurTransportEndpoint::connect(int port) {
    open();
    target.set(LOOPBACK, uint16_t(port));
}

long OurTransportEndpoint::unacknowledged() {
    Node* p = peer();
    while (p && !inFlight.empty() && inFlight.front().first <= p->getSequenceAcked()) {
        inFlightBytes -= inFlight.front().second;
        inFlight.pop_front();
    }
    return inFlightBytes;
}

void OurTransportEndpoint::send(const std::vector<uint8_t>& message) {
    Node* n = peer();
    if (!n)
        return;
    ackSent = n->getSequenceIn();
    idleSinceAck = 0;
    makePieces(message, n);
    release();
    lastSend = netTime();
    sentThisTick = true;
    if (message[0] != IDLE_KIND) {
        lastDataSequence = n->getSequenceOut();
        inFlight.emplace_back(n->getSequenceOut(), long(message.size()));
        inFlightBytes += long(message.size());
    }
}

void OurTransportEndpoint::makePieces(const std::vector<uint8_t>& message, Node* to) {
    Packet p(Packet::FLAG_FILTER1, int(message.size()));
    p.doBytes(const_cast<uint8_t*>(message.data()), int(message.size()));
    int32_t before = to->getSequenceOut();
    // With the connection detached the transport cuts and queues the pieces
    // for resends and acknowledgements, and leaves the sending to release.
    setConnection(nullptr, false);
    sendToPeer(&p, to);
    setConnection(socket, false);
    long count = to->getSequenceOut() - before, length = long(message.size());
    BasicLink* l = to->getOutQueue().lastChild;
    for (long i = 1; i < count && l; ++i)
        l = l->prev;
    for (long i = 0; i < count && l; ++i, l = l->next) {
        Packet* piece = static_cast<Packet*>(l);
        piece->time = NOT_SENT;
        heldPieces.push_back(Piece{piece, piece->sequence, length * (i + 1) / count - length * i / count});
    }
}

void OurTransportEndpoint::release() {
    Node* n = peer();
    if (!n || !socket) {
        heldPieces.clear();
        sentPieces.clear();
        sentPieceBytes = 0;
        return;
    }
    dropAcknowledgedPieces(n);
    releaseBatch.clear();
    // As ENet: a piece goes alone when nothing else is in flight.
    while (!heldPieces.empty() &&
           (sentPieces.empty() || sentPieceBytes + heldPieces.front().bytes <= WINDOW_BYTES)) {
        releaseBatch.push_back(heldPieces.front().packet);
        sentPieceBytes += heldPieces.front().bytes;
        sentPieces.push_back(heldPieces.front());
        heldPieces.pop_front();
    }
    if (!releaseBatch.empty())
        socket->sendRawBatch(releaseBatch.data(), int(releaseBatch.size()), n->getAddress());
}

void OurTransportEndpoint::dropAcknowledgedPieces(Node* to) {
    while (!sentPieces.empty() && sentPieces.front().sequence <= to->getSequenceAcked()) {
        sentPieceBytes -= sentPieces.front().bytes;
        sentPieces.pop_front();
    }
}

void OurTransportEndpoint::service() {
    update();
    double now = netTime();
    Node* p = peer();
    lost |= hadPeer && !p;
    hadPeer |= p != nullptr;
    release();
    if (!isServer() && !hadPeer && now >= nextConnect) {
        sendConnectRequest(target);
        nextConnect = now + CONNECT_RETRY;
    }
}

void OurTransportEndpoint::flush() {
    double now = netTime();
    Node* p = peer();
    // One idle message carries the acknowledgement of the data that came, as
    // ENet acknowledges at each service, and the due resend requests; idle
    // messages alone are not acknowledged, or both sides would trade them.
    if (p && !sentThisTick) {
        bool unacked = p->getSequenceAcked() < lastDataSequence;
        bool dataCame = p->getSequenceIn() - ackSent > idleSinceAck;
        if (p->resendRequestDue() || needReply || dataCame ||
            (unacked && now - lastSend >= ACK_PROMPT) || now - lastSend >= KEEPALIVE)
            send({IDLE_KIND});
    }
    needReply = false;
    sentThisTick = false;
}

long OurTransportEndpoint::datagrams() {
    NetStats total(0.0);
    getConnection()->addTraffic(&total);
    return long(total.packetsIn) + total.packetsOut;
}

void OurTransportEndpoint::processPacket(Packet* packet) {
    if (packet->getLength() == 0 || packet->cursor[0] == IDLE_KIND) {
        ++idleSinceAck;
        return;
    }
    needReply = true;
    onMessage(packet->cursor, packet->getBytesLeft());
}

Node* OurTransportEndpoint::peer() { return static_cast<Node*>(getPeers().firstChild); }

void OurTransportEndpoint::open() {
    NetAddress any;
    socket = new NetConnection(any);
    setConnection(socket, false);
}
