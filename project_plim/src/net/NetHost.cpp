#include "NetHost.h"

#include "input/Console.h"
#include "language/Language.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "Crc32.h"
#include "NetConnection.h"
#include "NetStats.h"
#include "NetTime.h"
#include "Node.h"

#include <cstring>

namespace {
const char* const MIN_VERSION = "0.00";
const char* const GAME_FAMILY = "Corvana2";
const char* const SPECIAL = "serviceInPacketSpecial";
const char* const NORMAL = "serviceInPacketNormal";
// The oldest unacknowledged piece goes again after this many smoothed round
// trips and the margin (an acknowledgement may wait for the peer's next send).
const double OVERDUE_ROUND_TRIPS = 2.0;
const double OVERDUE_MARGIN = 0.01;
// A requested piece goes again unless its last send is younger than this many
// round trips (the request then came from a copy or a reordering, not from
// that send's loss). A genuine first request comes about one round trip after
// the piece (a later piece of the same burst showed the gap), so a whole round
// trip here would turn most of them away and cost a retry interval more.
const double RESEND_GUARD_ROUND_TRIPS = 0.5;

UString text(int id, const char* english) {
    return PLIM && PLIM->language ? UString(PLIM->language->getText(id)) : UString(english);
}

Node* asNode(BasicLink* l) { return static_cast<Node*>(l); }
bool live(const BasicLink* l) { return !l->bDestroyPending && !l->bSkip; }

uint32_t crcOf(uint32_t crc, const uint8_t* bytes, int count) {
    return count > 0 ? Crc32::update(crc, bytes, size_t(count)) : crc;
}
} // namespace

NetHost::NetHost(const UString& gameName, double version, const UString& playerName, int hostMode, bool isServer)
    : hostMode(hostMode), isServer(isServer), gameName(gameName), version(version), playerName(playerName) {
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

void NetHost::trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    UString message;
    formatStringV(message, format, args);
    va_end(args);
    const char* side = isServer ? "S      " : "     C ";
    if (PLIM && PLIM->console)
        PLIM->console->print("%s %s |   %s", side, SPECIAL, message.c_str());
    else if (PLIM && PLIM->log)
        PLIM->log->print("%s %s |   %s", side, SPECIAL, message.c_str());
}

int NetHost::getPeerCount() const {
    return hostMode == HOST_MODE_SINGLE_PEER ? 1 : static_cast<int>(peers.getNumChildren());
}

// --- Connection packets -----------------------------------------------------

Packet* NetHost::newConnectionPacket(int type) {
    Packet* p = new Packet(Packet::FLAG_FILTER1, -1);
    uint32_t marker = CONNECTION_MARKER;
    uint32_t t = static_cast<uint32_t>(type);
    p->doBytes(&marker, 4);
    p->doBytes(&t, 4);
    return p;
}

void NetHost::sendConnectionPacket(Packet* packet, NetAddress to, Node* peer) {
    // A trailing CRC-32 of all before it: a damaged identifier in an accept
    // would otherwise tie the two sides to numbers neither knows. Readers
    // that stop after the body never see it.
    uint32_t crc = crcOf(0, packet->buffer, packet->getLength());
    packet->doBytes(&crc, 4);
    if (connection && (!peer || mayReach(peer, packet->getLength())))
        connection->sendRaw(packet, to);
    delete packet;
}

bool NetHost::mayReach(Node* peer, int bytes) {
    if (peer->bConfirmed)
        return true;
    // Anyone can put another's address on a request: an unconfirmed address
    // gets no more than a small multiple of what came from it.
    if (peer->bytesToAddress + bytes > UNCONFIRMED_AMPLIFICATION * peer->bytesFromAddress)
        return false;
    peer->bytesToAddress += bytes;
    return true;
}

void NetHost::confirm(Node* peer) {
    peer->bConfirmed = true;
    pieceBatch.clear();
    for (BasicLink* l = peer->outQueue.firstChild; l; l = l->next)
        if (live(l))
            pieceBatch.push_back(static_cast<Packet*>(l));
    if (connection && !pieceBatch.empty())
        connection->sendRawBatch(pieceBatch.data(), int(pieceBatch.size()), peer->address);
    pieceBatch.clear();
}

void NetHost::sendConnectRequest(NetAddress to) {
    Packet* p = newConnectionPacket(TYPE_CONNECT);
    p->doUString(&gameName, MAX_GAME_NAME);
    p->doDouble(&version);
    p->doUString(&playerName, MAX_PLAYER_NAME);
    sendConnectionPacket(p, to);
}

void NetHost::sendAccept(Node* peer) {
    Packet* p = newConnectionPacket(TYPE_ACCEPT);
    p->doUString(&gameName, MAX_GAME_NAME);
    p->doDouble(&version);
    uint32_t ids[2] = {hostUID, peer->nodeUID};
    p->doBytes(&ids[0], 4);
    p->doBytes(&ids[1], 4);
    sendConnectionPacket(p, peer->address, peer);
}

void NetHost::sendReject(NetAddress to, const UString& message) {
    Packet* p = newConnectionPacket(TYPE_REJECT);
    UString m = message;
    p->doUString(&m, -1);
    sendConnectionPacket(p, to);
}

void NetHost::sendDisconnect(Node* peer) {
    Packet* p = newConnectionPacket(TYPE_DISCONNECT);
    p->doBytes(&hostUID, 4);
    sendConnectionPacket(p, peer->address, peer);
}

// --- Peers --------------------------------------------------------------------

Node* NetHost::findPeer(NetAddress address) {
    for (BasicLink* l = peers.firstChild; l; l = l->next)
        if (live(l) && asNode(l)->address.sameEndpoint(address))
            return asNode(l);
    return nullptr;
}

Node* NetHost::findPeerById(uint32_t id, const NetAddress* from) {
    for (BasicLink* l = peers.firstChild; l; l = l->next) {
        if (!live(l))
            continue;
        Node* n = asNode(l);
        if (n->nodeUID == id && (!from || n->address.getIP() == from->getIP()))
            return n;
    }
    return nullptr;
}

Node* NetHost::addPeer(Packet* from, const UString& name) {
    flushGlobalState();
    Node* peer = new Node(this);
    peers.addChild(peer);
    peer->address = from->address;
    UString base = name.isEmpty() ? UString("Anonymous") : name;
    UString candidate = base;
    for (int suffix = 1;; ++suffix) {
        bool taken = false;
        for (BasicLink* l = peers.firstChild; l && !taken; l = l->next)
            taken = l != peer && asNode(l)->name == candidate;
        if (!taken || suffix > MAX_NAME_SUFFIX)
            break;
        candidate = formatString("%s-%d", base.c_str(), suffix);
    }
    peer->name = candidate;
    return peer;
}

void NetHost::removePeer(Node* peer, bool notify) {
    if (notify)
        sendDisconnect(peer);
    onPeerDisconnected(peer);
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
    if (connection) {
        while (Packet* datagram = connection->receive()) {
            servicePacket(datagram);
            connection->releasePacket(datagram);
        }
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
    BasicLink* l = peers.firstChild;
    while (l) {
        BasicLink* next = l->next;
        Node* peer = asNode(l);
        if (!live(l)) {
            l = next;
            continue;
        }
        if (!peer->bConfirmed && now > peer->createdAt + UNCONFIRMED_TIMEOUT) {
            dropPeer(peer, formatString("no data with its identifier within %.1f s of the accept",
                                        UNCONFIRMED_TIMEOUT).c_str());
        } else if (now > peer->lastHeard + timeout) {
            dropPeer(peer, formatString("nothing new from it for %.1f s", timeout).c_str());
        } else {
            resendOverdue(peer, now);
        }
        l = next;
    }
}

void NetHost::dropPeer(Node* peer, const char* reason) {
    logTagged("NetHost", "%s: dropped %s %s (%s): %s.", sideName(), isServer ? "client" : "server",
              peer->name.c_str(), peer->address.toString().c_str(), reason);
    removePeer(peer, false);
}

void NetHost::resendOverdue(Node* peer, double now) {
    BasicLink* l = peer->outQueue.firstChild;
    while (l && !live(l))
        l = l->next;
    if (!l || !connection || !peer->bConfirmed)
        return;
    Packet* oldest = static_cast<Packet*>(l);
    if (now > oldest->time + OVERDUE_ROUND_TRIPS * peer->resendRoundTrip() + OVERDUE_MARGIN) {
        connection->sendRaw(oldest, peer->address);
        connection->getStats()->resends += 1;
    }
}

void NetHost::servicePacket(Packet* datagram) {
    if (datagram->getBytesLeft() < 4)
        return;
    uint32_t value = 0;
    datagram->doBytes(&value, 4);
    if (value == CONNECTION_MARKER)
        serviceInPacketSpecial(datagram);
    else
        serviceInPacketNormal(datagram, value);
}

bool NetHost::trailerIntact(Packet* datagram) {
    int left = datagram->getBytesLeft();
    if (left == 0)
        return true; // a sender without the checksum
    if (left != 4 || datagram->hasError())
        return false;
    uint32_t crc = 0;
    memcpy(&crc, datagram->cursor, 4);
    return crc == crcOf(0, datagram->buffer, static_cast<int>(datagram->cursor - datagram->buffer));
}

bool NetHost::versionPasses(double v) const { return !(parseDouble(MIN_VERSION) > v + 0.001); }

// --- Handshake ----------------------------------------------------------------

void NetHost::serviceInPacketSpecial(Packet* datagram) {
    if (datagram->getBytesLeft() < 4)
        return;
    uint32_t type = 0;
    datagram->doBytes(&type, 4);
    switch (type) {
    case TYPE_CONNECT:
        if (isServer)
            handleConnect(datagram);
        break;
    case TYPE_ACCEPT:
        if (!isServer)
            handleAccept(datagram);
        break;
    case TYPE_REJECT: {
        UString message;
        datagram->doUString(&message, -1);
        if (!datagram->hasError() && trailerIntact(datagram))
            onConnectionRejected(message);
        break;
    }
    case TYPE_DISCONNECT: {
        logTagged(SPECIAL, "%s: New DISCONNECT notify from %s", sideName(), datagram->address.toString().c_str());
        if (datagram->getBytesLeft() < 4)
            return;
        uint32_t id = 0;
        datagram->doBytes(&id, 4);
        if (!trailerIntact(datagram))
            return;
        if (Node* peer = findPeerById(id, &datagram->address))
            removePeer(peer, false);
        break;
    }
    default:
        break;
    }
}

void NetHost::handleConnect(Packet* datagram) {
    // The whole request is read first: a malformed one gets no answer at all.
    UString theirGame, theirName;
    double theirVersion = 0.0;
    datagram->doUString(&theirGame, MAX_GAME_NAME);
    datagram->doDouble(&theirVersion);
    datagram->doUString(&theirName, MAX_PLAYER_NAME);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    UString from = datagram->address.toString();
    trace("New Connect attempt from %s", from.c_str());
    if (Node* known = findPeer(datagram->address)) {
        trace("%s already exists", from.c_str());
        // Nothing with its identifier came yet, so our accept may have been
        // lost: the same accept again, with the same identifiers.
        if (!known->bConfirmed) {
            known->bytesFromAddress += datagram->size;
            sendAccept(known);
        }
        return;
    }
    if (getPeerCount() >= maxPeers) {
        trace("Sending FULL to %s", from.c_str());
        sendReject(datagram->address, text(Language::STR_ERRORSERVERISFULL, "Server is full."));
        return;
    }
    if (theirGame.find(GAME_FAMILY) < 0) {
        sendReject(datagram->address, text(Language::STR_ERRORINCOMPATIBLEGAME, "Incompatible game."));
        return;
    }
    if (!versionPasses(theirVersion)) {
        UString format = text(Language::STR_ERRORMINVERSIONCLIENT,
                              "You need at least version %s of the game (you have %.2lf).");
        sendReject(datagram->address, formatString(format.c_str(), MIN_VERSION, theirVersion));
        return;
    }
    trace("Accepting connection...");
    Node* peer = addPeer(datagram, theirName);
    peer->bytesFromAddress = datagram->size;
    sendAccept(peer);
    trace("Done.");
    onPeerConnected(peer);
}

void NetHost::handleAccept(Packet* datagram) {
    UString theirGame;
    double theirVersion = 0.0;
    uint32_t serverUID = 0, assignedUID = 0;
    datagram->doUString(&theirGame, MAX_GAME_NAME);
    datagram->doDouble(&theirVersion);
    datagram->doBytes(&serverUID, 4);
    datagram->doBytes(&assignedUID, 4);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    UString from = datagram->address.toString();
    trace("Connection acccepted by %s", from.c_str());
    if (getPeerCount() >= maxPeers)
        return;
    if (findPeer(datagram->address)) {
        logTagged(SPECIAL, "%s already exists", from.c_str());
        return;
    }
    if (theirGame.find(GAME_FAMILY) < 0) {
        sendReject(datagram->address, text(Language::STR_ERRORINCOMPATIBLEGAME, "Incompatible game."));
        return;
    }
    if (!versionPasses(theirVersion)) {
        UString format = text(Language::STR_ERRORMINVERSIONSERVER,
                              "Server must be at least version %s of the game (it's %.2lf).");
        onConnectionRejected(formatString(format.c_str(), MIN_VERSION, theirVersion));
        return;
    }
    Node* peer = addPeer(datagram, "ServerPlayer");
    peer->bConfirmed = true; // the address we asked
    peer->nodeUID = serverUID;
    hostUID = assignedUID;
    onPeerConnected(peer);
}

// --- Data path ----------------------------------------------------------------

void NetHost::sendToAll(Packet* packet) {
    BasicLink* l = peers.firstChild;
    while (l) {
        BasicLink* next = l->next;
        if (live(l))
            sendToPeer(packet, asNode(l));
        l = next;
    }
}

void NetHost::sendToPeer(Packet* packet, Node* peer) {
    int n = packet->getLength();
    int size = n / (n / MAX_PIECE + 1) + 1;
    int offset = 0;
    pieceBatch.clear();
    do {
        pieceBatch.push_back(makePiece(packet, peer, offset, size));
        offset += size;
    } while (offset < n);
    // An unconfirmed peer's pieces wait in its outQueue for its confirmation.
    if (connection && peer->bConfirmed)
        connection->sendRawBatch(pieceBatch.data(), int(pieceBatch.size()), peer->address);
    pieceBatch.clear();
}

void NetHost::sendPiece(Packet* packet, Node* peer, int offset, int size) {
    Packet* datagram = makePiece(packet, peer, offset, size);
    if (connection && peer->bConfirmed)
        connection->sendRaw(datagram, peer->address);
}

Packet* NetHost::makePiece(Packet* packet, Node* peer, int offset, int size) {
    int n = packet->getLength();
    bool last = offset + size >= n;
    if (last)
        size = n - offset;

    pieceBuffer.reset();
    pieceBuffer.doBytes(&hostUID, 4);
    pieceBuffer.sequence = ++peer->sequenceOut;
    pieceBuffer.continued = !last;
    pieceBuffer.doHeader();
    int ack = peer->sequenceIn;
    pieceBuffer.doUInt(&ack);
    // Several gaps at a time, in any piece: one request per packet cannot keep
    // up with heavy loss.
    int32_t requests[MAX_REQUESTS_WRITTEN];
    int requestCount = peer->nextResendRequests(requests, MAX_REQUESTS_WRITTEN);
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
    peer->addOutgoing(datagram);
    return datagram;
}

void NetHost::serviceInPacketNormal(Packet* datagram, uint32_t senderUID) {
    Node* peer = findPeerById(senderUID, &datagram->address);
    if (!peer)
        return;
    datagram->peer = peer;

    // The whole datagram is read before any field is used: header, resend
    // requests, then exactly one piece that ends the datagram.
    datagram->doHeader();
    int ack = 0, length = 0;
    int requests[MAX_REQUESTS_READ];
    int requestCount = 0;
    bool badRequest = false;
    uint32_t crc = 0;
    datagram->doUInt(&ack);
    uint8_t kind = 0;
    datagram->doBits(&kind, 1);
    while (!(kind & 1) && !datagram->hasError()) {
        int request = 0;
        datagram->doUInt(&request);
        badRequest |= request < 0;
        // Requests beyond what one datagram can carry from us are read and left unanswered.
        if (requestCount < MAX_REQUESTS_READ)
            requests[requestCount++] = request;
        if (datagram->getBytesLeft() <= 0)
            return;
        datagram->doBits(&kind, 1);
    }
    if (!(kind & 1) || datagram->hasError())
        return;
    datagram->doUInt(&length);
    int checkedBytes = static_cast<int>(datagram->cursor - datagram->buffer);
    datagram->doBytes(&crc, 4);
    if (datagram->hasError() || length < 0 || length != datagram->getBytesLeft())
        return;
    uint8_t* payload = datagram->cursor;
    uint32_t expected = crcOf(crcOf(0, datagram->buffer, checkedBytes), payload, length);
    int32_t sequence = datagram->sequence;
    if (crc != expected) {
        logTagged(NORMAL, "WARNING: received corrupt packet contents (from=%s, sequence=%d)",
                  datagram->address.toString().c_str(), sequence);
        return;
    }

    if (sequence <= peer->sequenceIn)
        return;
    if (sequence - peer->sequenceIn > MAX_SEQUENCE_AHEAD || ack < 0 || ack > peer->sequenceOut || badRequest)
        return;
    // Only a datagram newer than any before it may move the peer: a copy of
    // an old one from elsewhere, replayed or spoofed, changes nothing.
    bool fromItsAddress = peer->address.sameEndpoint(datagram->address);
    if (sequence > peer->sequenceNewest) {
        peer->sequenceNewest = sequence;
        peer->address.setPort(datagram->address.getPort());
    } else if (!fromItsAddress) {
        return;
    }
    if (!peer->bConfirmed)
        confirm(peer);

    // One clock read for all that follows.
    double now = netTime();
    if (ack > peer->sequenceAcked)
        peer->sequenceAcked = ack;
    peer->processAcks(now);

    if (requestCount && connection) {
        NetStats* stats = connection->getStats(now);
        for (int i = 0; i < requestCount; ++i) {
            stats->resendRequests += 1;
            Packet* stored = peer->findOutgoing(requests[i]);
            if (stored && now > stored->time + RESEND_GUARD_ROUND_TRIPS * peer->resendRoundTrip()) {
                connection->sendRaw(stored, peer->address);
                stats->resends += 1;
            }
        }
    }

    peer->newIncoming(datagram->slice(length, takePiece(length)), now);
    if (peer->bOverflow) {
        logTagged(NORMAL, "Peer %s sent more than %d bytes without ending a packet; removing it.",
                  peer->address.toString().c_str(), static_cast<int>(Node::MAX_JOINED_BYTES));
        removePeer(peer, false);
    }
}
