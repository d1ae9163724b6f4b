// The host: its peers, the receive step and the data path (the handshake is
// in NetHostHandshake.cpp).
#include "NetHost.h"

#include "core/Logger.h"
#include "core/Plim.h"
#include "files/PrintableText.h"
#include "util/PlimUtil.h"
#include "Crc32.h"
#include "NetConnection.h"
#include "NetStats.h"
#include "NetTime.h"
#include "Node.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
const char* const NORMAL = "serviceInPacketNormal";

// A data datagram's least bytes: identifier, secret, one-byte sequence, bit
// byte, acknowledgement and piece length, and the checksum of an empty piece.
const int SHORTEST_DATA = 4 + NetHost::SECRET_BYTES + 4 + 4;
// A connection packet's marker and type.
const int CONNECTION_HEADER = 8;

Node* asNode(BasicLink* l) { return static_cast<Node*>(l); }

// Datagrams taken between two looks at the clock while draining.
const int DRAIN_CLOCK_EVERY = 32;

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

uint32_t crcOf(uint32_t crc, const uint8_t* bytes, int count) {
    return count > 0 ? Crc32::update(crc, bytes, size_t(count)) : crc;
}
} // namespace

NetHost::NetHost(const UString& gameName, double version, const UString& playerName, int hostMode, bool isServer)
    : hostMode(hostMode), bServer(isServer), gameName(gameName), version(version), playerName(playerName) {
    logTagged("NetHost", "Creating %s host...", isServer ? "SERVER" : "CLIENT");
}

NetHost::~NetHost() {
    disconnectAll();
    if (ownsConnection)
        delete connection;
    connection = nullptr;
    readyQueue.deleteChildren();
    for (Packet* p : sparePieces)
        delete p;
}

Packet* NetHost::takePiece(int bytes) {
    if (bytes > PIECE_CAPACITY)
        return nullptr;
    if (sparePieces.empty())
        return new Packet(Packet::FLAG_FILTER1, PIECE_CAPACITY);
    Packet* p = sparePieces.back();
    sparePieces.pop_back();
    // The next spare has mostly left the cache since it was given back: its
    // links and fields come in while this one is filled.
    if (!sparePieces.empty()) {
        Packet* next = sparePieces.back();
        __builtin_prefetch(next, 1);
        __builtin_prefetch(&next->peer, 1);
        __builtin_prefetch(&next->capacity, 1);
    }
    return p;
}

void NetHost::recyclePiece(Packet* packet) {
    if (!packet)
        return;
    if (packet->parent)
        packet->parent->removeChild(packet);
    if (packet->capacity != PIECE_CAPACITY || packet->firstChild || sparePieces.size() >= MAX_SPARE_PIECES) {
        delete packet;
        return;
    }
    packet->peer = nullptr;
    packet->bDestroyPending = packet->bSkip = false;
    sparePieces.push_back(packet);
}

void NetHost::setConnection(NetConnection* c, bool owns) {
    if (ownsConnection && connection != c)
        delete connection;
    connection = c;
    ownsConnection = owns;
}

void NetHost::queueReady(Packet* packet) { readyQueue.addChild(packet); }

int NetHost::getPeerCount() const {
    return hostMode == HOST_MODE_SINGLE_PEER ? 1 : static_cast<int>(peers.getNumChildren());
}

// --- Peers --------------------------------------------------------------------

Node* NetHost::findPeer(NetAddress address) {
    for (BasicLink* l = peers.firstChild; l; l = l->next)
        if (BasicLink::isLive(l) && asNode(l)->getAddress().sameEndpoint(address))
            return asNode(l);
    return nullptr;
}

Node* NetHost::findPeerById(uint32_t id, const NetAddress* from) {
    for (BasicLink* l = peers.firstChild; l; l = l->next) {
        if (!BasicLink::isLive(l))
            continue;
        Node* n = asNode(l);
        if (n->getUID() == id && (!from || n->getAddress().getIP() == from->getIP()))
            return n;
    }
    return nullptr;
}

Node* NetHost::credentialed(const NetAddress& from, const uint32_t* id, uint64_t secret, bool anyPort) {
    for (BasicLink* l = peers.firstChild; l; l = l->next)
        if (asNode(l)->holdsCredentials(from, id, secret, anyPort))
            return asNode(l);
    return nullptr;
}

UString NetHost::uniqueName(const UString& name, const Node* except) {
    UString base = name.isEmpty() ? UString("Anonymous") : name;
    UString candidate = base;
    for (int suffix = 1;; ++suffix) {
        bool taken = false;
        for (BasicLink* l = peers.firstChild; l && !taken; l = l->next)
            taken = l != except && asNode(l)->getName() == candidate;
        if (!taken || suffix > MAX_NAME_SUFFIX)
            return candidate;
        candidate = formatString("%s-%d", base.c_str(), suffix);
    }
}

Node* NetHost::addPeer(Packet* from, const UString& name) {
    Node* peer = new Node(this);
    peer->moveTo(from->address);
    peer->rename(name);
    return join(peer);
}

Node* NetHost::join(Node* peer) {
    flushGlobalState();
    peers.addChild(peer);
    peer->rename(uniqueName(peer->getName(), peer));
    return peer;
}

void NetHost::removePeer(Node* peer, bool notify) {
    if (notify)
        sendDisconnect(peer);
    onPeerDisconnected(peer);
    if (connection)
        connection->forgetReplySource(peer->getAddress());
    BasicLink* l = readyQueue.firstChild;
    while (l) {
        BasicLink* next = l->next;
        if (static_cast<Packet*>(l)->peer == peer)
            delete l;
        l = next;
    }
    delete peer;
}

void NetHost::disconnectAll() {
    while (BasicLink* l = peers.firstChild)
        removePeer(asNode(l), true);
}

void NetHost::update() {
    // A bounded share of what waits: under a flood that outruns the host the
    // rest waits in the socket (which holds seconds of it), while the peers
    // still get their acknowledgements and data at every update. The real
    // clock bounds it, whatever the engine's clock says; it starts at the
    // first look, so that the many updates that take fewer datagrams than
    // that never read it.
    double drainStart = 0.0;
    for (int n = 0; connection && n < MAX_DRAINED; ++n) {
        if (n % DRAIN_CLOCK_EVERY == DRAIN_CLOCK_EVERY - 1) {
            double t = steadySeconds();
            if (n == DRAIN_CLOCK_EVERY - 1)
                drainStart = t;
            else if (t - drainStart > MAX_DRAIN_SECONDS)
                break;
        }
        Packet* datagram = connection->receive();
        if (!datagram)
            break;
        servicePacket(datagram);
        connection->releasePacket(datagram);
    }
    // Each packet leaves the queue before it is handed over, so a peer removed
    // meanwhile cannot take it along.
    while (BasicLink* l = readyQueue.firstChild) {
        Packet* packet = static_cast<Packet*>(l);
        readyQueue.removeChild(packet);
        processPacket(packet);
        recyclePiece(packet);
    }
    double now = netTime();
    requestTraces.flush(now);
    handshakeLog.flush(now);
    dataLog.flush(now);
    unanswered.flush(now);
    BasicLink* l = peers.firstChild;
    while (l) {
        BasicLink* next = l->next;
        Node* peer = asNode(l);
        if (!BasicLink::isLive(l)) {
            l = next;
            continue;
        }
        longestAckWait = std::max(longestAckWait, peer->noteAckWait(now));
        if (now > peer->getLastHeard() + timeout) {
            dropPeer(peer, formatString("nothing new from it for %.1f s", timeout).c_str());
        } else if (peer->ackOverdue(now, timeout)) {
            dropPeer(peer, formatString("our data waited %.1f s unacknowledged", timeout).c_str());
        } else {
            resendOverdue(peer, now);
            confirmUntilShown(peer, now);
        }
        l = next;
    }
}

void NetHost::dropPeer(Node* peer, const char* reason) {
    logDrop(peer, reason);
    onPeerDropped(peer, reason);
    removePeer(peer, false);
}

void NetHost::logDrop(Node* peer, const char* reason) {
    logTagged("NetHost", "%s: dropped %s %s (%s): %s.", sideName(), bServer ? "client" : "server",
              printableText(peer->getName()).c_str(), peer->getAddress().toString().c_str(), reason);
}

void NetHost::resendOverdue(Node* peer, double now) {
    if (!connection)
        return;
    if (Packet* oldest = peer->overdueResend(now)) {
        connection->sendRaw(oldest, peer->getAddress());
        connection->getStats()->resends += 1;
    }
}

bool NetHost::worthReading(const Packet& datagram) const {
    if (!bServer && !datagram.address.sameEndpoint(dialled))
        return false;
    int size = datagram.getBytesLeft();
    if (size < 4)
        return false;
    uint32_t first = 0;
    memcpy(&first, datagram.cursor, 4);
    if (first == CONNECTION_MARKER)
        return size >= CONNECTION_HEADER;
    return size >= SHORTEST_DATA && size <= PIECE_CAPACITY;
}

void NetHost::servicePacket(Packet* datagram) {
    if (!worthReading(*datagram))
        return;
    uint32_t value = 0;
    datagram->doBytes(&value, 4);
    if (value == CONNECTION_MARKER)
        serviceInPacketSpecial(datagram);
    else
        serviceInPacketNormal(datagram, value);
}

// --- Data path ----------------------------------------------------------------

void NetHost::sendToAll(Packet* packet) {
    BasicLink* l = peers.firstChild;
    while (l) {
        BasicLink* next = l->next;
        if (BasicLink::isLive(l))
            sendToPeer(packet, asNode(l));
        l = next;
    }
}

void NetHost::sendToPeer(Packet* packet, Node* peer) {
    int n = packet->getLength();
    int size = n / (n / MAX_PIECE + 1) + 1;
    int offset = 0;
    double now = netTime();
    pieceBatch.clear();
    do {
        pieceBatch.push_back(makePiece(packet, peer, offset, size, now));
        offset += size;
    } while (offset < n);
    if (connection)
        connection->sendRawBatch(pieceBatch.data(), int(pieceBatch.size()), peer->getAddress());
    pieceBatch.clear();
}

Packet* NetHost::makePiece(Packet* packet, Node* peer, int offset, int size, double now) {
    int n = packet->getLength();
    bool last = offset + size >= n;
    if (last)
        size = n - offset;

    pieceBuffer.reset();
    pieceBuffer.doBytes(&hostUID, 4);
    uint64_t secret = peer->getSecret();
    pieceBuffer.doBytes(&secret, SECRET_BYTES);
    pieceBuffer.sequence = peer->takeSequenceOut();
    pieceBuffer.continued = !last;
    pieceBuffer.doHeader();
    int ack = peer->getSequenceIn();
    pieceBuffer.doUInt(&ack);
    // Several gaps at a time, in any piece: one request per packet cannot keep
    // up with heavy loss.
    int32_t requests[MAX_REQUESTS_WRITTEN];
    int requestCount = peer->nextResendRequests(requests, MAX_REQUESTS_WRITTEN, now);
    for (int i = 0; i < requestCount; ++i) {
        uint8_t kind = 0;
        pieceBuffer.doBits(&kind, 1);
        int request = requests[i];
        pieceBuffer.doUInt(&request);
    }
    uint8_t kind = 1;
    pieceBuffer.doBits(&kind, 1);
    pieceBuffer.doUInt(&size);
    // The checksum covers the header as well, so no damaged field is ever used.
    uint32_t crc = crcOf(0, pieceBuffer.buffer, pieceBuffer.getLength());
    crc = crcOf(crc, packet->buffer + offset, size);
    pieceBuffer.doBytes(&crc, 4);

    Packet* datagram = pieceBuffer.cloneWithPiece(packet, offset, size, takePiece(pieceBuffer.getLength() + size));
    peer->addOutgoing(datagram, now);
    return datagram;
}

void NetHost::serviceInPacketNormal(Packet* datagram, uint32_t senderUID) {
    InData in;
    if (!parseData(datagram, senderUID, in))
        return;
    Node* peer = authenticate(datagram, in);
    if (!peer)
        return;
    datagram->peer = peer;
    if (!in.crcIntact) {
        // Only a peer's own datagrams get here (the secret is checked): damage on the way.
        dataLog.log(netTime(), NORMAL, "WARNING: received corrupt packet contents (from=%s, sequence=%d)",
                    datagram->address.toString().c_str(), in.sequence);
        return;
    }
    if (!peer->plausible(in.sequence, in.ack) || in.badRequest || !followAddress(peer, datagram, in))
        return;
    // One clock read for all that follows; a datagram just taken from the
    // socket brings the one its batch was taken under.
    double now = connection && datagram == connection->getReceivePacket() ? datagram->time : netTime();
    peer->takeAcknowledgement(in.ack, now);
    peer->serveResendRequests(in.requests, in.requestCount, now);
    if (takePieceOf(datagram, peer, in, now))
        noteShown(peer);
}

bool NetHost::parseData(Packet* datagram, uint32_t senderUID, InData& in) {
    // The whole datagram is read before any field is used: secret, header,
    // resend requests, then exactly one piece that ends the datagram.
    in.id = senderUID;
    datagram->doBytes(&in.secret, SECRET_BYTES);
    datagram->doHeader();
    datagram->doUInt(&in.ack);
    uint8_t kind = 0;
    datagram->doBits(&kind, 1);
    while (!(kind & 1) && !datagram->hasError()) {
        int request = 0;
        datagram->doUInt(&request);
        in.badRequest |= request < 0;
        // Requests beyond what one datagram can carry from us are read and left unanswered.
        if (in.requestCount < MAX_REQUESTS_READ)
            in.requests[in.requestCount++] = request;
        if (datagram->getBytesLeft() <= 0)
            return false;
        datagram->doBits(&kind, 1);
    }
    if (!(kind & 1) || datagram->hasError())
        return false;
    datagram->doUInt(&in.length);
    int checkedBytes = static_cast<int>(datagram->cursor - datagram->buffer);
    uint32_t crc = 0;
    datagram->doBytes(&crc, 4);
    // No sender cuts longer pieces; held ahead of order, longer ones would take a peer's memory.
    if (datagram->hasError() || in.length < 0 || in.length > MAX_PIECE || in.length != datagram->getBytesLeft())
        return false;
    in.sequence = datagram->sequence;
    in.payload = datagram->cursor;
    in.crcIntact = crc == crcOf(crcOf(0, datagram->buffer, checkedBytes), in.payload, in.length);
    return true;
}

Node* NetHost::authenticate(Packet* datagram, const InData& in) {
    if (Node* peer = credentialed(datagram->address, &in.id, in.secret, true))
        return peer;
    // Nobody here goes by that identifier: a client whose confirmation is lost
    // is asked for it, one of a server that restarted learns that it has gone.
    if (bServer && in.crcIntact && !findPeerById(in.id, &datagram->address) && mayAnswer(*datagram))
        sendRetry(datagram, in);
    return nullptr;
}

bool NetHost::followAddress(Node* peer, const Packet* datagram, const InData& in) {
    // A client's server stays the address it dialled. A client may come from
    // a new port (a router mapped it anew), but only the next piece in order,
    // newer than any before it, moves it there: a copy of an old datagram, or
    // one far ahead, from elsewhere changes nothing.
    if (!peer->getAddress().sameEndpoint(datagram->address)) {
        if (!bServer || !peer->movesTo(in.sequence))
            return false;
        NetAddress moved = peer->getAddress();
        moved.setPort(datagram->address.getPort());
        if (connection)
            connection->forgetReplySource(peer->getAddress());
        peer->moveTo(moved);
        if (connection)
            connection->setReplySource(moved, connection->lastLocalIP());
    }
    peer->noteNewest(in.sequence);
    return true;
}

bool NetHost::takePieceOf(Packet* datagram, Node* peer, const InData& in, double now) {
    peer->receivePiece(*datagram, in.length, now);
    if (!peer->overflowed())
        return true;
    dataLog.log(now, NORMAL, "Peer %s sent more than %d bytes in one packet; removing it.",
                peer->getAddress().toString().c_str(), static_cast<int>(Node::MAX_JOINED_BYTES));
    removePeer(peer, false);
    return false;
}
