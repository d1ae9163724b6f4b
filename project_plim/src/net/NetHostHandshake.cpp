// The host's handshake: connection packets, the requests that wait until they
// show that they receive, and the traces of both.
#include "NetHost.h"

#include "input/Console.h"
#include "language/Language.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "util/PlimUtil.h"
#include "Crc32.h"
#include "NetConnection.h"
#include "NetTime.h"
#include "Node.h"

#include <algorithm>
#include <cstring>

namespace {
const char* const MIN_VERSION = "0.00";
const char* const GAME_FAMILY = "Corvana2";
const char* const SPECIAL = "serviceInPacketSpecial";

UString text(int id, const char* english) {
    return PLIM && PLIM->language ? UString(PLIM->language->getText(id)) : UString(english);
}

Node* asNode(BasicLink* l) { return static_cast<Node*>(l); }
bool live(const BasicLink* l) { return !l->bDestroyPending && !l->bSkip; }
} // namespace

void NetHost::trace(const char* format, ...) {
    if (bQuietTrace)
        return;
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
    uint32_t crc = Crc32::update(0, packet->buffer, size_t(packet->getLength()));
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

void NetHost::sendConnectRequest(NetAddress to) {
    dialled = to;
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

void NetHost::sendReject(NetAddress to, const UString& message, int limit) {
    const int fixedBytes = 12; // marker, type, checksum
    UString m = message;
    if (limit >= 0) {
        // What is left for the text and its length, which takes one byte
        // below 128 and two up to the serialiser's limit.
        int room = limit - fixedBytes;
        if (room < 1)
            return;
        size_t keep = std::min(m.length(), size_t(room - 1));
        if (keep >= 128)
            keep = std::min(m.length(), size_t(room - 2));
        m = m.substr(0, keep);
    }
    Packet* p = newConnectionPacket(TYPE_REJECT);
    p->doUString(&m, -1);
    sendConnectionPacket(p, to);
}

void NetHost::sendDisconnect(Node* peer) {
    Packet* p = newConnectionPacket(TYPE_DISCONNECT);
    p->doBytes(&hostUID, 4);
    sendConnectionPacket(p, peer->address, peer);
}

// --- Waiting requests ---------------------------------------------------------

Node* NetHost::findPending(uint32_t id, const NetAddress& from) {
    // An address has one waiting request at most: a repeated one is answered, not listed.
    Node* waiting = findPendingAt(from);
    return waiting && waiting->nodeUID == id ? waiting : nullptr;
}

Node* NetHost::findPendingAt(const NetAddress& from) {
    for (BasicLink* l = pending.firstChild; l; l = l->next)
        if (live(l) && asNode(l)->address.sameEndpoint(from))
            return asNode(l);
    return nullptr;
}

Node* NetHost::addPending(Packet* from, const UString& name) {
    if (getPendingCount() >= MAX_PENDING) {
        delete pending.firstChild;
        ++pushedOut;
    }
    Node* waiting = new Node(this);
    pending.addChild(waiting);
    waiting->address = from->address;
    waiting->name = name; // made unique on admission
    waiting->bytesFromAddress = from->size;
    return waiting;
}

Node* NetHost::admit(Node* waiting) {
    pending.removeChild(waiting);
    join(waiting);
    waiting->lastHeard = netTime();
    onPeerConnected(waiting);
    return waiting;
}

void NetHost::expirePending(double now) {
    BasicLink* l = pending.firstChild;
    while (l && now > asNode(l)->createdAt + UNCONFIRMED_TIMEOUT) {
        BasicLink* next = l->next;
        if (handshakeLog.allow(now))
            logDrop(asNode(l), formatString("no data with its identifier within %.1f s of the accept",
                                            UNCONFIRMED_TIMEOUT).c_str());
        delete l;
        l = next;
    }
}

bool NetHost::traceRequest(double now) {
    reportFlood(now);
    if (tracedRequests < MAX_TRACED_REQUESTS) {
        ++tracedRequests;
        return true;
    }
    ++untracedRequests;
    return false;
}

void NetHost::reportFlood(double now) {
    if (now < traceSecond + 1.0)
        return;
    if (untracedRequests)
        logTagged(SPECIAL, "%s: %d more connect attempts within a second, not traced.", sideName(), untracedRequests);
    if (pushedOut)
        logTagged("NetHost", "%s: %d accepted requests made room for newer ones before they showed that they "
                  "receive.", sideName(), pushedOut);
    traceSecond = now;
    tracedRequests = untracedRequests = pushedOut = 0;
}

void NetHost::refuseLate(Node* waiting) {
    handshakeLog.log(netTime(), "NetHost",
                     "%s: refused %s (%s): the server filled up before it showed that it receives.", sideName(),
                     waiting->name.c_str(), waiting->address.toString().c_str());
    sendReject(waiting->address, text(Language::STR_ERRORSERVERISFULL, "Server is full."));
    delete waiting;
}

// --- Handshake ----------------------------------------------------------------

bool NetHost::trailerIntact(Packet* datagram) {
    int left = datagram->getBytesLeft();
    if (left == 0)
        return true; // a sender without the checksum
    if (left != 4 || datagram->hasError())
        return false;
    uint32_t crc = 0;
    memcpy(&crc, datagram->cursor, 4);
    return crc == Crc32::update(0, datagram->buffer, size_t(datagram->cursor - datagram->buffer));
}

bool NetHost::versionPasses(double v) const { return !(parseDouble(MIN_VERSION) > v + 0.001); }

void NetHost::serviceInPacketSpecial(Packet* datagram) {
    if (datagram->getBytesLeft() < 4)
        return;
    uint32_t type = 0;
    datagram->doBytes(&type, 4);
    switch (type) {
    case TYPE_CONNECT:
        if (isServer) {
            bQuietTrace = !traceRequest(netTime());
            handleConnect(datagram);
            bQuietTrace = false;
        }
        break;
    case TYPE_ACCEPT:
        if (!isServer)
            handleAccept(datagram);
        break;
    case TYPE_REJECT:
        handleReject(datagram);
        break;
    case TYPE_DISCONNECT:
        handleDisconnect(datagram);
        break;
    default:
        break;
    }
}

void NetHost::handleReject(Packet* datagram) {
    UString message;
    datagram->doUString(&message, -1);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    const NetAddress& from = datagram->address;
    // Only whoever the refusal concerns: a client's server, a server's peer or waiting request.
    if (!isServer) {
        if (!from.sameEndpoint(dialled))
            return;
        onConnectionRejected(message);
        // The server took us back: it filled up before we showed that we receive.
        if (Node* server = findPeer(from))
            removePeer(server, false);
        return;
    }
    Node* waiting = findPendingAt(from);
    if (!waiting && !findPeer(from))
        return;
    delete waiting;
    onConnectionRejected(message);
}

void NetHost::handleDisconnect(Packet* datagram) {
    handshakeLog.log(netTime(), SPECIAL, "%s: New DISCONNECT notify from %s", sideName(),
                     datagram->address.toString().c_str());
    if (datagram->getBytesLeft() < 4)
        return;
    uint32_t id = 0;
    datagram->doBytes(&id, 4);
    if (!trailerIntact(datagram))
        return;
    // Anyone can name a peer's identifier; only its exact address counts.
    Node* peer = findPeerById(id, &datagram->address);
    if (peer && peer->address.sameEndpoint(datagram->address))
        removePeer(peer, false);
    else
        delete findPending(id, datagram->address);
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
    if (findPeer(datagram->address)) {
        trace("%s already exists", from.c_str());
        return;
    }
    if (Node* waiting = findPendingAt(datagram->address)) {
        trace("%s already exists", from.c_str());
        // Nothing with its identifier came yet, so our accept may have been
        // lost: the same accept again, with the same identifiers.
        waiting->bytesFromAddress += datagram->size;
        sendAccept(waiting);
        return;
    }
    // The address has not shown that it receives: a refusal is no bigger
    // than the budget an accept would have.
    int limit = UNCONFIRMED_AMPLIFICATION * datagram->size;
    if (getPeerCount() >= maxPeers) {
        trace("Sending FULL to %s", from.c_str());
        sendReject(datagram->address, text(Language::STR_ERRORSERVERISFULL, "Server is full."), limit);
        return;
    }
    if (theirGame.find(GAME_FAMILY) < 0) {
        sendReject(datagram->address, text(Language::STR_ERRORINCOMPATIBLEGAME, "Incompatible game."), limit);
        return;
    }
    if (!versionPasses(theirVersion)) {
        UString format = text(Language::STR_ERRORMINVERSIONCLIENT,
                              "You need at least version %s of the game (you have %.2lf).");
        sendReject(datagram->address, formatString(format.c_str(), MIN_VERSION, theirVersion), limit);
        return;
    }
    trace("Accepting connection...");
    sendAccept(addPending(datagram, theirName));
    trace("Done.");
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
    // Only the server we dialled may take us in.
    if (!datagram->address.sameEndpoint(dialled))
        return;
    UString from = datagram->address.toString();
    // "acccepted" is spelled so on purpose: logs are matched against this line as it stands.
    trace("Connection acccepted by %s", from.c_str());
    if (getPeerCount() >= maxPeers)
        return;
    if (findPeer(datagram->address)) {
        handshakeLog.log(netTime(), SPECIAL, "%s already exists", from.c_str());
        return;
    }
    if (theirGame.find(GAME_FAMILY) < 0) {
        sendReject(datagram->address, text(Language::STR_ERRORINCOMPATIBLEGAME, "Incompatible game."),
                   UNCONFIRMED_AMPLIFICATION * datagram->size);
        return;
    }
    if (!versionPasses(theirVersion)) {
        UString format = text(Language::STR_ERRORMINVERSIONSERVER,
                              "Server must be at least version %s of the game (it's %.2lf).");
        onConnectionRejected(formatString(format.c_str(), MIN_VERSION, theirVersion));
        return;
    }
    Node* peer = addPeer(datagram, "ServerPlayer"); // the address we asked: it receives
    peer->nodeUID = serverUID;
    hostUID = assignedUID;
    onPeerConnected(peer);
}
