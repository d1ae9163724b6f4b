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
const char* const GAME_FAMILY = "Corvana2";
const char* const SPECIAL = "serviceInPacketSpecial";
// A client's confirmation goes again after this long while the server shows nothing of it.
const double CONFIRM_INTERVAL = 0.1;

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

void NetHost::sendConnectionPacket(Packet* packet, NetAddress to, const Packet* asked) {
    // A trailing CRC-32 of all before it: a damaged identifier in an accept
    // would otherwise tie the two sides to numbers neither knows. Readers
    // that stop after the body never see it.
    uint32_t crc = Crc32::update(0, packet->buffer, size_t(packet->getLength()));
    packet->doBytes(&crc, 4);
    // Anyone can put another's address on a datagram: an unconfirmed address
    // gets no more than a small multiple of what came from it.
    if (connection && (!asked || packet->getLength() <= NetAnswerBudget::roomFor(*asked)))
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

void NetHost::sendAccept(const NetAddress& to, uint64_t nonce, const Packet* asked) {
    NetTicket ticket = admission.issue(to, nonce, netTime());
    Packet* p = newConnectionPacket(TYPE_ACCEPT);
    p->doUString(&gameName, MAX_GAME_NAME);
    p->doDouble(&version);
    p->doBytes(&hostUID, 4);
    ticket.serialize(p);
    sendConnectionPacket(p, to, asked);
}

void NetHost::sendReject(NetAddress to, const UString& message, uint64_t token, const Packet* asked,
                         NetTicket* refused, NetTicket::Layout layout) {
    // marker, type, token, checksum and the ticket refused
    const int fixedBytes = 12 + 8 + (refused ? NetTicket::refusalBytes(layout) : 0);
    UString m = message;
    if (asked) {
        // What is left for the text and its length, which takes one byte
        // below 128 and two up to the serialiser's limit.
        int room = NetAnswerBudget::roomFor(*asked) - fixedBytes;
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
    if (refused)
        refused->serializeRefusal(p, layout);
    sendConnectionPacket(p, to, asked);
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
    sendConnectionPacket(p, datagram->address, datagram);
}

bool NetHost::mayAnswer(const Packet& asked) {
    double now = netTime();
    if (answers.take(asked.address, now))
        return true;
    if (unanswered.allow(now))
        logTagged("NetHost", "%s: past the budget of answers to addresses that have not shown that they receive "
                  "(%d a second to first requests, as many to repeated ones, %d at once and %d a second to one "
                  "address); %s gets none.",
                  sideName(), int(NetAnswerBudget::RATE), int(NetAnswerBudget::ADDRESS_BURST),
                  int(NetAnswerBudget::ADDRESS_RATE), asked.address.toString().c_str());
    return false;
}

// --- Admission -----------------------------------------------------------------

Node* NetHost::admitByTicket(const NetAddress& from, const NetTicket& ticket, const UString& name,
                             const Packet* asked, double now) {
    UString refusal, why;
    if (getPeerCount() >= maxPeers) {
        refusal = text(Language::STR_ERRORSERVERISFULL, "Server is full.");
        why = "the server filled up before it showed that it receives";
    } else {
        NetAdmission::Spend spent = admission.spend(from, ticket, now);
        if (spent == NetAdmission::NO_SHARE) {
            refusal = text(Language::STR_ERRORJOINSFROMYOURADDRESS,
                           "Too many joins from your address just now; try again in a few seconds.");
            why = formatString("its address was admitted %d times within a ticket's life",
                               int(NetAdmission::SHARE)).c_str();
        } else if (spent == NetAdmission::NO_ROOM) {
            refusal = text(Language::STR_ERRORJOINSJUSTNOW, "Too many joins just now; try again in a few seconds.");
            why = formatString("%d admissions within a ticket's life are remembered already",
                               int(NetAdmission::MAX_SPENT)).c_str();
        }
    }
    if (!refusal.isEmpty()) {
        handshakeLog.log(now, "NetHost", "%s: refused %s (%s): %s.", sideName(), printableText(name).c_str(),
                         from.toString().c_str(), why.c_str());
        sendReject(from, refusal, ticket.secret, asked);
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
    clientTicket.serialize(p);
    p->doUString(&playerName, MAX_PLAYER_NAME);
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
    NetTicket ticket;
    UString name;
    ticket.serialize(datagram);
    datagram->doUString(&name, MAX_PLAYER_NAME);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    const NetAddress& from = datagram->address;
    double now = netTime();
    // A copy from a client already admitted, or a ticket forged, run out or spent.
    if (findPeer(from) || !admission.admits(from, ticket, now))
        return;
    admitByTicket(from, ticket, name, datagram, now);
}

void NetHost::readCredentials(Packet* datagram, uint32_t& id, uint64_t& secret) {
    datagram->doBytes(&id, 4);
    datagram->doBytes(&secret, SECRET_BYTES);
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

bool NetHost::versionPasses(double v) const { return !(WIRE_VERSION > v + 0.001); }

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
    uint64_t token = 0;
    NetTicket refused;
    datagram->doUString(&message, -1);
    datagram->doBytes(&token, 8);
    bool withTicket = datagram->getBytesLeft() >= NetTicket::BYTES;
    if (withTicket)
        refused.serialize(datagram);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    const NetAddress& from = datagram->address;
    if (bServer) {
        // A client refuses an accept before it is a peer; a peer may still take itself back.
        if (Node* peer = credentialed(from, nullptr, token, false))
            removePeer(peer, false);
        else if (!withTicket || refused.secret != token || !admission.valid(from, refused, netTime()))
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
    onConnectionRejected(text(Language::STR_ERRORSERVERRESTARTED, "The server restarted or dropped this connection."));
    removePeer(server, false);
}

NetHost::Mismatch NetHost::mismatchOf(const UString& theirGame, double theirVersion) const {
    if (theirGame.find(GAME_FAMILY) < 0)
        return OTHER_GAME;
    return versionPasses(theirVersion) ? SAME_GAME : OLD_VERSION;
}

UString NetHost::reasonFor(Mismatch mismatch, double theirVersion) const {
    if (mismatch == OTHER_GAME)
        return text(Language::STR_ERRORINCOMPATIBLEGAME, "Incompatible game.");
    if (mismatch == SAME_GAME)
        return UString();
    UString format = bServer ? text(Language::STR_ERRORMINVERSIONCLIENT,
                                    "You need at least version %s of the game (you have %.2lf).")
                             : text(Language::STR_ERRORMINVERSIONSERVER,
                                    "Server must be at least version %s of the game (it's %.2lf).");
    return formatString(format.c_str(), formatString("%.2f", WIRE_VERSION).c_str(), theirVersion);
}

UString NetHost::refusalOf(const UString& theirGame, double theirVersion) {
    if (getPeerCount() >= maxPeers)
        return text(Language::STR_ERRORSERVERISFULL, "Server is full.");
    return reasonFor(mismatchOf(theirGame, theirVersion), theirVersion);
}

void NetHost::handleConnect(Packet* datagram) {
    // A peer's address gets no answer. Any other has not shown that it
    // receives: nothing is kept for it, and its answer comes out of the
    // budget, looked at before the request is read, so that past it a flood
    // of requests costs no more than junk.
    const bool known = findPeer(datagram->address) != nullptr;
    if (!known && !mayAnswer(*datagram))
        return;
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
    UString from = bQuietTrace ? UString() : datagram->address.toString();
    trace("New Connect attempt from %s", from.c_str());
    if (known) {
        trace("%s already exists", from.c_str());
        return;
    }
    UString refusal = refusalOf(theirGame, theirVersion);
    if (!refusal.isEmpty()) {
        if (getPeerCount() >= maxPeers)
            trace("Sending FULL to %s", from.c_str());
        sendReject(datagram->address, refusal, nonce, datagram);
        return;
    }
    trace("Accepting connection...");
    sendAccept(datagram->address, nonce, datagram);
    trace("Done.");
}

void NetHost::handleAccept(Packet* datagram) {
    UString theirGame;
    double theirVersion = 0.0;
    uint32_t serverUID = 0;
    NetTicket ticket;
    datagram->doUString(&theirGame, MAX_GAME_NAME);
    datagram->doDouble(&theirVersion);
    datagram->doBytes(&serverUID, 4);
    ticket.serialize(datagram);
    if (datagram->hasError() || !trailerIntact(datagram))
        return;
    // Only the server we dialled, answering the request we are waiting on.
    // Every wire since the wire named its own version is at least ours and
    // lays the ticket out as we do; one below it may be either earlier wire.
    NetTicket::Layout layout = NetTicket::NONCE_THIRD;
    const bool answersUs = versionPasses(theirVersion) ? ticket.nonce == connectNonce
                                                       : ticket.findLayout(connectNonce, layout);
    if (!datagram->address.sameEndpoint(dialled) || !bConnectPending || !answersUs)
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
    // The server is told in its own wire's layout; an old server is reported here too.
    Mismatch mismatch = mismatchOf(theirGame, theirVersion);
    if (mismatch != SAME_GAME) {
        UString reason = reasonFor(mismatch, theirVersion);
        sendReject(datagram->address, reason, ticket.secret, datagram, &ticket, layout);
        if (mismatch == OLD_VERSION)
            onConnectionRejected(reason);
        return;
    }
    Node* peer = addPeer(datagram, "ServerPlayer"); // the address we asked: it receives
    peer->identify(serverUID, ticket.secret);
    hostUID = ticket.id;
    clientTicket = ticket;
    acceptedAt = netTime();
    shownAt = -1;
    sendConfirm(peer);
    onPeerConnected(peer);
}
