// The host's handshake: connection packets, stateless admission by tickets,
// and the traces of both.
#include "NetHost.h"

#include "input/Console.h"
#include "language/Language.h"
#include "core/Logger.h"
#include "core/Plim.h"
#include "files/PrintableText.h"
#include "util/PlimUtil.h"
#include "Crc32.h"
#include "NetConnection.h"
#include "NetTime.h"
#include "SystemRandom.h"
#include "Node.h"

#include <algorithm>
#include <cstring>

namespace {
const char* const MIN_VERSION = "0.00";
const char* const GAME_FAMILY = "Corvana2";
const char* const SPECIAL = "serviceInPacketSpecial";
// A client's confirmation goes again after this long while the server shows nothing of it.
const double CONFIRM_INTERVAL = 0.1;
// The reason a client is given when a Retry ends its connection.
const char* const SERVER_RESTARTED = "The server restarted or dropped this connection.";
// A client's refusal of an accept ends with the accept's identifier, the
// request's nonce and the ticket's slot.
const int REFUSED_TICKET_BYTES = 4 + 8 + 4;

UString text(int id, const char* english) {
    return PLIM && PLIM->language ? UString(PLIM->language->getText(id)) : UString(english);
}

// Keeps whole UTF-8 characters: the cut moves back over continuation bytes.
size_t characterBoundary(const UString& s, size_t keep) {
    while (keep > 0 && keep < s.length() && (uint8_t(s[keep]) & 0xC0) == 0x80)
        --keep;
    return keep;
}
} // namespace

void NetHost::trace(const char* format, ...) {
    if (bQuietTrace)
        return;
    va_list args;
    va_start(args, format);
    UString message;
    formatStringV(message, format, args);
    va_end(args);
    const char* side = bServer ? "S      " : "     C ";
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

void NetHost::sendConnectionPacket(Packet* packet, NetAddress to, int limit) {
    // A trailing CRC-32 of all before it: a damaged identifier in an accept
    // would otherwise tie the two sides to numbers neither knows. Readers
    // that stop after the body never see it.
    uint32_t crc = Crc32::update(0, packet->buffer, size_t(packet->getLength()));
    packet->doBytes(&crc, 4);
    // Anyone can put another's address on a datagram: an unconfirmed address
    // gets no more than a small multiple of what came from it.
    if (connection && (limit < 0 || packet->getLength() <= limit))
        connection->sendRaw(packet, to);
    delete packet;
}

void NetHost::sendConnectRequest(NetAddress to) {
    if (!bConnectPending || !to.sameEndpoint(dialled))
        connectNonce = SystemRandom::next64();
    dialled = to;
    bConnectPending = true;
    Packet* p = newConnectionPacket(TYPE_CONNECT);
    p->doUString(&gameName, MAX_GAME_NAME);
    p->doDouble(&version);
    p->doUString(&playerName, MAX_PLAYER_NAME);
    p->doBytes(&connectNonce, 8);
    sendConnectionPacket(p, to);
}

void NetHost::sendAccept(const NetAddress& to, uint64_t nonce, int limit) {
    NetAdmission::Ticket ticket = admission.issue(to, nonce, netTime());
    Packet* p = newConnectionPacket(TYPE_ACCEPT);
    p->doUString(&gameName, MAX_GAME_NAME);
    p->doDouble(&version);
    p->doBytes(&hostUID, 4);
    p->doBytes(&ticket.id, 4);
    p->doBytes(&nonce, 8);
    p->doBytes(&ticket.secret, SECRET_BYTES);
    p->doBytes(&ticket.slot, 4);
    sendConnectionPacket(p, to, limit);
}

void NetHost::sendReject(NetAddress to, const UString& message, uint64_t token, int limit,
                         const NetAdmission::Ticket* refused) {
    // marker, type, token, checksum and the ticket refused
    const int fixedBytes = 12 + 8 + (refused ? REFUSED_TICKET_BYTES : 0);
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
        m = m.substr(0, characterBoundary(m, keep));
    }
    Packet* p = newConnectionPacket(TYPE_REJECT);
    p->doUString(&m, -1);
    p->doBytes(&token, 8);
    if (refused) {
        NetAdmission::Ticket ticket = *refused;
        p->doBytes(&ticket.id, 4);
        doAttempt(p, connectNonce, ticket.slot);
    }
    sendConnectionPacket(p, to, limit);
}

void NetHost::sendDisconnect(Node* peer) {
    Packet* p = newConnectionPacket(TYPE_DISCONNECT);
    p->doBytes(&hostUID, 4);
    uint64_t secret = peer->getSecret();
    p->doBytes(&secret, SECRET_BYTES);
    sendConnectionPacket(p, peer->getAddress());
}

void NetHost::sendRetry(const Packet* datagram, const InData& in) {
    Packet* p = newConnectionPacket(TYPE_RETRY);
    uint32_t sequence = uint32_t(in.sequence);
    uint64_t secret = in.secret;
    p->doBytes(&sequence, 4);
    p->doBytes(&secret, SECRET_BYTES);
    // With its checksum 24 bytes, under three times the 20 of the shortest
    // data datagram that passes the parse.
    sendConnectionPacket(p, datagram->address, UNCONFIRMED_AMPLIFICATION * datagram->size);
}

// --- Admission -----------------------------------------------------------------

Node* NetHost::admitByTicket(const NetAddress& from, const NetAdmission::Ticket& ticket, const UString& name,
                             int limit, double now) {
    if (getPeerCount() >= maxPeers) {
        handshakeLog.log(now, "NetHost", "%s: refused %s (%s): the server filled up before it showed that it receives.",
                         sideName(), printableText(name).c_str(), from.toString().c_str());
        sendReject(from, text(Language::STR_ERRORSERVERISFULL, "Server is full."), ticket.secret, limit);
        return nullptr;
    }
    if (!admission.spend(ticket, now)) {
        handshakeLog.log(now, "NetHost", "%s: %s (%s) waits: %d admissions within a ticket's life are remembered already.",
                         sideName(), printableText(name).c_str(), from.toString().c_str(),
                         int(NetAdmission::MAX_SPENT));
        return nullptr;
    }
    Node* peer = new Node(this);
    peer->identify(ticket.id, ticket.secret);
    peer->moveTo(from);
    peer->rename(name);
    if (connection)
        connection->setReplySource(from, connection->lastLocalIP());
    join(peer);
    onPeerConnected(peer);
    return peer;
}

void NetHost::sendConfirm(Node* server) {
    Packet* p = newConnectionPacket(TYPE_CONFIRM);
    uint64_t secret = server->getSecret();
    p->doBytes(&hostUID, 4);
    p->doBytes(&secret, SECRET_BYTES);
    p->doUString(&playerName, MAX_PLAYER_NAME);
    doAttempt(p, connectNonce, ticketSlot);
    sendConnectionPacket(p, server->getAddress());
    confirmSentAt = netTime();
}

void NetHost::confirmUntilShown(Node* server, double now) {
    // The confirmation is the only datagram that names us, and it may be lost.
    if (bServer || shownAt >= 0 || now > acceptedAt + NetAdmission::CONFIRM_SECONDS)
        return;
    if (now > confirmSentAt + CONFIRM_INTERVAL)
        sendConfirm(server);
}

void NetHost::noteShown(Node* server) {
    if (bServer || shownAt >= 0 || (server->getSequenceAcked() == 0 && server->getSequenceIn() == 0))
        return;
    shownAt = server->getSequenceOut();
    server->restartAckClock(netTime());
}

void NetHost::handleConfirm(Packet* datagram) {
    NetAdmission::Ticket ticket;
    uint64_t nonce = 0;
    UString name;
    readCredentials(datagram, ticket.id, ticket.secret);
    datagram->doUString(&name, MAX_PLAYER_NAME);
    doAttempt(datagram, nonce, ticket.slot);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    const NetAddress& from = datagram->address;
    double now = netTime();
    // A copy from a client already admitted, or a ticket forged, run out or spent.
    if (findPeer(from) || !admission.admits(from, nonce, ticket, now))
        return;
    admitByTicket(from, ticket, name, UNCONFIRMED_AMPLIFICATION * datagram->size, now);
}

void NetHost::readCredentials(Packet* datagram, uint32_t& id, uint64_t& secret) {
    datagram->doBytes(&id, 4);
    datagram->doBytes(&secret, SECRET_BYTES);
}

void NetHost::doAttempt(Packet* p, uint64_t& nonce, uint32_t& slot) {
    p->doBytes(&nonce, 8);
    p->doBytes(&slot, 4);
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
        if (bServer) {
            bQuietTrace = !requestTraces.allow(netTime());
            handleConnect(datagram);
            bQuietTrace = false;
        }
        break;
    case TYPE_ACCEPT:
        if (!bServer)
            handleAccept(datagram);
        break;
    case TYPE_REJECT:
        handleReject(datagram);
        break;
    case TYPE_DISCONNECT:
        handleDisconnect(datagram);
        break;
    case TYPE_RETRY:
        if (!bServer)
            handleRetry(datagram);
        break;
    case TYPE_CONFIRM:
        if (bServer)
            handleConfirm(datagram);
        break;
    default:
        break;
    }
}

void NetHost::handleReject(Packet* datagram) {
    UString message;
    NetAdmission::Ticket refused;
    uint64_t nonce = 0;
    datagram->doUString(&message, -1);
    datagram->doBytes(&refused.secret, 8);
    bool withTicket = datagram->getBytesLeft() >= REFUSED_TICKET_BYTES;
    if (withTicket) {
        datagram->doBytes(&refused.id, 4);
        doAttempt(datagram, nonce, refused.slot);
    }
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    const NetAddress& from = datagram->address;
    const uint64_t token = refused.secret;
    if (bServer) {
        // A client refuses an accept before it is a peer; a peer may still take itself back.
        if (Node* peer = credentialed(from, nullptr, token, false))
            removePeer(peer, false);
        else if (!withTicket || !admission.valid(from, nonce, refused, netTime()))
            return;
        onConnectionRejected(message);
        return;
    }
    if (!from.sameEndpoint(dialled))
        return;
    // The refusal of our waiting request, or the server taking back its accept
    // (it filled up before our confirmation came): nobody else knows either token.
    Node* server = credentialed(from, nullptr, token, false);
    bool ofRequest = bConnectPending && token == connectNonce;
    bool ofAccept = server != nullptr;
    if (!ofRequest && !ofAccept)
        return;
    bConnectPending = false;
    onConnectionRejected(message);
    if (ofAccept)
        removePeer(server, false);
}

void NetHost::handleDisconnect(Packet* datagram) {
    uint32_t id = 0;
    uint64_t secret = 0;
    readCredentials(datagram, id, secret);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    // Only from the peer's exact address, with the connection's secret.
    Node* peer = credentialed(datagram->address, &id, secret, false);
    if (!peer)
        return;
    handshakeLog.log(netTime(), SPECIAL, "%s: New DISCONNECT notify from %s", sideName(),
                     datagram->address.toString().c_str());
    removePeer(peer, false);
}

void NetHost::handleRetry(Packet* datagram) {
    uint32_t sequence = 0;
    uint64_t secret = 0;
    datagram->doBytes(&sequence, 4);
    datagram->doBytes(&secret, SECRET_BYTES);
    // The checksum is not optional here: a damaged sequence number would turn
    // a late Retry into a fresh one.
    if (datagram->hasError() || datagram->getBytesLeft() != 4 || !trailerIntact(datagram))
        return;
    // It echoes what only our own data carried. Until the server has shown
    // that it holds us, our confirmation is merely on its way or lost (and
    // goes again); a Retry of what we sent before then is such late news.
    Node* server = credentialed(datagram->address, nullptr, secret, false);
    if (!server || shownAt < 0 || int32_t(sequence) <= shownAt)
        return;
    handshakeLog.log(netTime(), "NetHost", "%s: the server at %s no longer knows us (it restarted or dropped us).", sideName(),
                     datagram->address.toString().c_str());
    onConnectionRejected(SERVER_RESTARTED);
    removePeer(server, false);
}

UString NetHost::refusalOf(const UString& theirGame, double theirVersion) {
    if (getPeerCount() >= maxPeers)
        return text(Language::STR_ERRORSERVERISFULL, "Server is full.");
    if (theirGame.find(GAME_FAMILY) < 0)
        return text(Language::STR_ERRORINCOMPATIBLEGAME, "Incompatible game.");
    if (!versionPasses(theirVersion)) {
        UString format = text(Language::STR_ERRORMINVERSIONCLIENT,
                              "You need at least version %s of the game (you have %.2lf).");
        return formatString(format.c_str(), MIN_VERSION, theirVersion);
    }
    return UString();
}

void NetHost::handleConnect(Packet* datagram) {
    // The whole request is read first: a malformed one gets no answer at all.
    UString theirGame, theirName;
    double theirVersion = 0.0;
    uint64_t nonce = 0;
    datagram->doUString(&theirGame, MAX_GAME_NAME);
    datagram->doDouble(&theirVersion);
    datagram->doUString(&theirName, MAX_PLAYER_NAME);
    datagram->doBytes(&nonce, 8);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    UString from = datagram->address.toString();
    trace("New Connect attempt from %s", from.c_str());
    if (findPeer(datagram->address)) {
        trace("%s already exists", from.c_str());
        return;
    }
    // Nothing is kept: the address has not shown that it receives, and any
    // answer stays within the budget of the request.
    int limit = UNCONFIRMED_AMPLIFICATION * datagram->size;
    UString refusal = refusalOf(theirGame, theirVersion);
    if (!refusal.isEmpty()) {
        if (getPeerCount() >= maxPeers)
            trace("Sending FULL to %s", from.c_str());
        sendReject(datagram->address, refusal, nonce, limit);
        return;
    }
    trace("Accepting connection...");
    sendAccept(datagram->address, nonce, limit);
    trace("Done.");
}

void NetHost::handleAccept(Packet* datagram) {
    UString theirGame;
    double theirVersion = 0.0;
    uint32_t serverUID = 0;
    NetAdmission::Ticket ticket;
    uint64_t nonce = 0;
    datagram->doUString(&theirGame, MAX_GAME_NAME);
    datagram->doDouble(&theirVersion);
    datagram->doBytes(&serverUID, 4);
    datagram->doBytes(&ticket.id, 4);
    datagram->doBytes(&nonce, 8);
    datagram->doBytes(&ticket.secret, SECRET_BYTES);
    datagram->doBytes(&ticket.slot, 4);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    // Only the server we dialled, answering the request we are waiting on.
    if (!datagram->address.sameEndpoint(dialled) || !bConnectPending || nonce != connectNonce)
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
    bConnectPending = false;
    if (theirGame.find(GAME_FAMILY) < 0) {
        sendReject(datagram->address, text(Language::STR_ERRORINCOMPATIBLEGAME, "Incompatible game."), ticket.secret,
                   UNCONFIRMED_AMPLIFICATION * datagram->size, &ticket);
        return;
    }
    if (!versionPasses(theirVersion)) {
        UString format = text(Language::STR_ERRORMINVERSIONSERVER,
                              "Server must be at least version %s of the game (it's %.2lf).");
        onConnectionRejected(formatString(format.c_str(), MIN_VERSION, theirVersion));
        return;
    }
    Node* peer = addPeer(datagram, "ServerPlayer"); // the address we asked: it receives
    peer->identify(serverUID, ticket.secret);
    hostUID = ticket.id;
    ticketSlot = ticket.slot;
    acceptedAt = netTime();
    shownAt = -1;
    sendConfirm(peer);
    onPeerConnected(peer);
}
