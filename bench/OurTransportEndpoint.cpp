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
} // namespace

OurTransportEndpoint::OurTransportEndpoint(bool server)
    : NetHost(PLIM_BUILD_NAME, PLIM_VERSION_NUMBER, "bench", 0, server) {
    setMaxPeers(1);
    setTimeout(CONNECTION_TIMEOUT);
}

int OurTransportEndpoint::listen() {
    open();
    return getConnection()->address.getPort();
}

void OurTransportEndpoint::connect(int port) {
    open();
    target.set(LOOPBACK, uint16_t(port));
}

long OurTransportEndpoint::unacknowledged() {
    Node* p = peer();
    while (p && !inFlight.empty() && inFlight.front().first <= p->sequenceAcked) {
        inFlightBytes -= inFlight.front().second;
        inFlight.pop_front();
    }
    return inFlightBytes;
}

void OurTransportEndpoint::send(const std::vector<uint8_t>& message) {
    Packet p(Packet::FLAG_FILTER1, int(message.size()));
    p.doBytes(const_cast<uint8_t*>(message.data()), int(message.size()));
    sendToAll(&p);
    lastSend = netTime();
    sentThisTick = true;
    Node* n = peer();
    if (message[0] != IDLE_KIND && n) {
        lastDataSequence = n->sequenceOut;
        inFlight.emplace_back(n->sequenceOut, long(message.size()));
        inFlightBytes += long(message.size());
    }
}

void OurTransportEndpoint::service() {
    update();
    double now = netTime();
    Node* p = peer();
    lost |= hadPeer && !p;
    hadPeer |= p != nullptr;
    if (!isServer() && !hadPeer && now >= nextConnect) {
        sendConnectRequest(target);
        nextConnect = now + CONNECT_RETRY;
    }
}

void OurTransportEndpoint::flush() {
    double now = netTime();
    Node* p = peer();
    // One idle message carries the acknowledgement and the due resend requests.
    if (p && !sentThisTick) {
        bool unacked = p->sequenceAcked < lastDataSequence;
        if (p->resendRequestDue() || needReply || (unacked && now - lastSend >= ACK_PROMPT) ||
            now - lastSend >= KEEPALIVE)
            send({IDLE_KIND});
    }
    needReply = false;
    sentThisTick = false;
}

long OurTransportEndpoint::datagrams() {
    NetStats total(0.0);
    total.add(&getConnection()->totalStats);
    total.add(getConnection()->getStats());
    return long(total.packetsIn) + total.packetsOut;
}

void OurTransportEndpoint::processPacket(Packet* packet) {
    if (packet->getLength() == 0 || packet->cursor[0] == IDLE_KIND)
        return;
    needReply = true;
    onMessage(packet->cursor, packet->getBytesLeft());
}

Node* OurTransportEndpoint::peer() { return static_cast<Node*>(getPeers().firstChild); }

void OurTransportEndpoint::open() {
    NetAddress any;
    setConnection(new NetConnection(any), true);
}
