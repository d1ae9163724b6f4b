#include "Node.h"

#include "serial/Packet.h"
#include "NetConnection.h"
#include "NetHost.h"
#include "NetStats.h"
#include "NetTime.h"
#include "SystemRandom.h"

#include <algorithm>
#include <cmath>

namespace {
Packet* asPacket(BasicLink* l) { return static_cast<Packet*>(l); }

// Through the host's spares when there is a host.
void release(NetHost* host, Packet* piece) {
    if (host)
        host->recyclePiece(piece);
    else
        delete piece;
}

// The first child that takes part in walks.
BasicLink* firstLive(const PlimBase& queue) {
    BasicLink* l = queue.firstChild;
    while (l && !BasicLink::isLive(l))
        l = l->next;
    return l;
}

const double NO_ROUND_TRIP = 1000000.0;
// A missing piece is asked for again after this many smoothed round trips and
// the margin (the sender answers no sooner than half a round trip after a send).
const double RETRY_ROUND_TRIPS = 1.5;
const double RETRY_MARGIN = 0.002;
// A requested piece goes again unless its last send is younger than this many
// round trips (the request then came from a copy or a reordering, not from
// that send's loss). A genuine first request comes about one round trip after
// the piece (a later piece of the same burst showed the gap), so a whole round
// trip here would turn most of them away and cost a retry interval more.
const double RESEND_GUARD_ROUND_TRIPS = 0.5;
// The oldest unacknowledged piece goes again once its acknowledgement is later
// than the round trip explains: the smoothed round trip, this many times its
// variation (at least the margin) and the peer's acknowledgement delay (a peer
// acknowledges at its next service, up to 50 ms later in a game).
const double TIMEOUT_VARIATIONS = 4.0;
const double MIN_TIMEOUT_VARIATION = 0.01;
const double PEER_ACK_DELAY = 0.05;
// Before the first round trip is measured: a link of 250 ms each way answers
// the first pieces within 0.6 s.
const double FIRST_RESEND_TIMEOUT = 1.0;
// Each resend of the timer doubles its wait until the round trip is measured
// again (on a piece sent once), up to this share of the time-out or twice the
// wait, whichever is longer: a wait that fell short of the round trip grows
// past it, and on round trips up to 0.2 s ten tries or more fit within the
// time-out.
const double LONGEST_BACKOFF_SHARE = 0.1;
const int MAX_DOUBLINGS = 16;
// Requests a missing piece gets within the time-out at least. The round trip
// alone would leave a peer whose updates come late (a loaded machine) a
// dozen, and 40% loss each way then holds a piece for seconds now and then.
// 31 would do (0.64^31 < 1e-6), but a request waits for the next update after
// it falls due, and updates come every 50 ms.
const double TRIES_WITHIN_TIMEOUT = 50.0;
// One datagram's requests get no more resends than a sender asks for in one.
const int MAX_RESENDS_PER_DATAGRAM = NetHost::MAX_REQUESTS_WRITTEN;
const size_t FIRST_INDEX_SIZE = 64;
} // namespace

uint32_t Node::randomUID() {
    uint32_t uid;
    do
        uid = SystemRandom::next32();
    while (uid == CONNECTION_MARKER);
    return uid;
}

Node::Node(NetHost* host)
    : host(host), nodeUID(randomUID()), lastHeard(netTime()), allowanceTime(lastHeard) {}

Node::~Node() {
    outQueue.deleteChildren();
    contiguousQueue.deleteChildren();
    inQueue.deleteChildren();
    delete joining;
}

void Node::identify(uint32_t id, uint64_t connectionSecret) {
    nodeUID = id;
    secret = connectionSecret;
}

bool Node::holdsCredentials(const NetAddress& from, const uint32_t* id, uint64_t connectionSecret,
                            bool anyPort) const {
    if (!BasicLink::isLive(this) || secret != connectionSecret || (id && *id != nodeUID))
        return false;
    return anyPort ? address.getIP() == from.getIP() : address.sameEndpoint(from);
}

bool Node::plausible(int32_t sequence, int32_t ack) const {
    return sequence > sequenceIn && sequence - sequenceIn <= NetHost::MAX_SEQUENCE_AHEAD && ack >= 0 &&
           ack <= sequenceOut;
}

void Node::noteNewest(int32_t sequence) {
    if (sequence > sequenceNewest)
        sequenceNewest = sequence;
}

void Node::takeAcknowledgement(int32_t ack, double now) {
    // Nothing more to drop when it moved nothing: what it covered went at the
    // time, and pieces queued since have higher numbers. The oldest piece is
    // not touched for it (mostly out of the cache).
    if (ack <= sequenceAcked)
        return;
    sequenceAcked = ack;
    processAcks(now);
}

Packet* Node::oldestOutgoing() const { return asPacket(firstLive(outQueue)); }

void Node::addOutgoing(Packet* piece) { addOutgoing(piece, netTime()); }

void Node::addOutgoing(Packet* piece, double now) {
    outQueue.addChild(piece);
    queuedAt.push_back(now);
    indexOutgoing(piece);
    resendAllowance = std::min(resendAllowance + RESENDS_PER_PIECE, double(MAX_RESEND_ALLOWANCE));
}

Packet*& Node::indexSlot(int32_t sequence) { return outIndex[size_t(uint32_t(sequence)) & (outIndex.size() - 1)]; }

void Node::indexOutgoing(Packet* piece) {
    if (outIndex.empty())
        outIndex.assign(FIRST_INDEX_SIZE, nullptr);
    Packet*& slot = indexSlot(piece->sequence);
    if (!slot || slot->sequence == piece->sequence) {
        slot = piece; // a number sent twice is found as its latest piece
        return;
    }
    growIndex();
}

void Node::growIndex() {
    for (size_t size = outIndex.size() * 2;; size *= 2) {
        outIndex.assign(size, nullptr);
        bool fits = true;
        for (BasicLink* l = outQueue.firstChild; l && fits; l = l->next) {
            Packet*& slot = indexSlot(asPacket(l)->sequence);
            fits = !slot || slot->sequence == asPacket(l)->sequence;
            slot = asPacket(l);
        }
        if (fits)
            return;
    }
}

bool Node::ackOverdue(double now, double timeout) const { return ackWait(now) > timeout; }

double Node::ackWait(double now) const {
    return firstLive(outQueue) && !queuedAt.empty() ? std::max(0.0, now - queuedAt.front()) : 0.0;
}

double Node::noteAckWait(double now) {
    // Counted while the peer is heard from: one gone without its disconnect
    // arriving adds nothing.
    longestAckWait = std::max(longestAckWait, ackWait(std::min(now, lastHeard)));
    return longestAckWait;
}

void Node::restartAckClock(double now) {
    for (double& queued : queuedAt)
        queued = std::max(queued, now);
}

int Node::nextResendRequest() {
    if (!firstLive(inQueue))
        return 0;
    // The gaps are the ranges between waiting pieces; walk them, not every number.
    int firstMissing = 0;
    int32_t expected = sequenceIn + 1;
    for (BasicLink* l = inQueue.firstChild; l; l = l->next) {
        if (!BasicLink::isLive(l))
            continue;
        int32_t seq = asPacket(l)->sequence;
        if (seq > expected) {
            if (!firstMissing)
                firstMissing = expected;
            int32_t candidate = lastResendRequest >= expected ? lastResendRequest + 1 : expected;
            if (lastResendRequest < seq - 1 && candidate < seq) {
                lastResendRequest = candidate;
                return candidate;
            }
        }
        if (seq >= expected)
            expected = seq + 1;
    }
    lastResendRequest = firstMissing;
    return firstMissing;
}

double Node::hostTimeout() const { return host ? host->getTimeout() : NetHost::DEFAULT_TIMEOUT; }

double Node::longestRetry() const { return hostTimeout() / TRIES_WITHIN_TIMEOUT; }

double Node::resendRetryInterval() const {
    return std::min(RETRY_ROUND_TRIPS * resendRoundTrip() + RETRY_MARGIN, longestRetry());
}

int Node::dueResendRequests(int32_t* out, int max, double now) const {
    double retryAfter = now - resendRetryInterval();
    int count = 0;
    // Gaps never asked for first, then the ones due again, each lowest first:
    // the lowest gaps asked again at every retry must not fill every datagram's
    // few requests while later ones are never named.
    for (int again = 0; again < 2; ++again) {
        int32_t expected = sequenceIn + 1;
        for (auto held = heldAhead.begin(); held != heldAhead.end() && count < max; ++held) {
            for (int32_t missing = expected; missing < *held && count < max; ++missing) {
                const AskedAt* slot = askedAt.empty() ? nullptr : &askedAt[size_t(uint32_t(missing) % askedAt.size())];
                bool asked = slot && slot->sequence == missing;
                if (asked == bool(again) && (!asked || slot->time <= retryAfter))
                    out[count++] = missing;
            }
            if (*held >= expected)
                expected = *held + 1;
        }
    }
    return count;
}

int Node::nextResendRequests(int32_t* out, int max, double now) {
    if (max <= 0 || heldAhead.empty())
        return 0;
    int count = dueResendRequests(out, max, now);
    if (!count)
        return 0;
    if (askedAt.empty())
        askedAt.assign(NetHost::MAX_SEQUENCE_AHEAD, AskedAt{0, 0.0});
    for (int i = 0; i < count; ++i)
        askedAt[size_t(uint32_t(out[i]) % askedAt.size())] = AskedAt{out[i], now};
    lastResendRequest = out[count - 1];
    return count;
}

bool Node::resendRequestDue() const {
    int32_t first;
    return !heldAhead.empty() && dueResendRequests(&first, 1, netTime()) > 0;
}

Packet* Node::findOutgoing(int sequence) {
    if (outIndex.empty())
        return nullptr;
    Packet* piece = indexSlot(sequence);
    return piece && piece->sequence == sequence && BasicLink::isLive(piece) ? piece : nullptr;
}

bool Node::takeResend(double now) {
    if (now > allowanceTime) {
        resendAllowance = std::min(resendAllowance + (now - allowanceTime) * RESENDS_PER_SECOND,
                                   double(MAX_RESEND_ALLOWANCE));
        allowanceTime = now;
    }
    if (resendAllowance < 1.0)
        return false;
    resendAllowance -= 1.0;
    return true;
}

int Node::serveResendRequests(const int32_t* requests, int count, double now) {
    NetConnection* connection = host ? host->getConnection() : nullptr;
    if (!connection || count <= 0)
        return 0;
    NetStats* stats = connection->getStats(now);
    stats->resendRequests += count;
    // longestRetry at most: a peer's requests for a piece that come no more
    // often than that are each answered.
    double guard = std::min(RESEND_GUARD_ROUND_TRIPS * resendRoundTrip(), longestRetry());
    const Packet* oldest = oldestOutgoing();
    for (int i = 0; oldest && i < count; ++i)
        if (requests[i] == oldest->sequence)
            askedOldest = oldest->sequence;
    int served = 0;
    for (int i = 0; i < count && served < MAX_RESENDS_PER_DATAGRAM; ++i) {
        Packet* stored = findOutgoing(requests[i]);
        if (!stored || now <= stored->time + guard || !takeResend(now))
            continue;
        connection->sendRaw(stored, address);
        noteResent(stored->sequence);
        ++served;
    }
    stats->resends += served;
    return served;
}

double Node::resendTimeout() const {
    double wait = timerRoundTrip < 0.0 ? FIRST_RESEND_TIMEOUT
                                       : timerRoundTrip + PEER_ACK_DELAY +
                                             std::max(TIMEOUT_VARIATIONS * timerVariation, MIN_TIMEOUT_VARIATION);
    return std::min(std::ldexp(wait, doublings), std::max(2 * wait, LONGEST_BACKOFF_SHARE * hostTimeout()));
}

Packet* Node::overdueResend(double now) {
    Packet* oldest = oldestOutgoing();
    if (!oldest)
        return nullptr;
    double late = now - oldest->time;
    // One the peer asked for is lost: it goes as often as it is asked for
    // again, whether or not the requests come through, while the allowance lasts.
    bool missed = oldest->sequence == askedOldest && late > longestRetry();
    if (!(missed && takeResend(now))) {
        if (late <= resendTimeout())
            return nullptr;
        doublings = std::min(doublings + 1, MAX_DOUBLINGS);
    }
    noteResent(oldest->sequence);
    return oldest;
}

void Node::noteResent(int32_t sequence) {
    auto at = std::lower_bound(resent.begin(), resent.end(), sequence);
    if (at == resent.end() || *at != sequence)
        resent.insert(at, sequence);
}

void Node::sampleTimerRoundTrip(double sample) {
    doublings = 0;
    if (timerRoundTrip < 0.0) {
        timerRoundTrip = sample;
        timerVariation = sample / 2;
        return;
    }
    timerVariation = 0.75 * timerVariation + 0.25 * std::fabs(timerRoundTrip - sample);
    timerRoundTrip = 0.875 * timerRoundTrip + 0.125 * sample;
}

void Node::processAcks(double now) {
    double quickest = NO_ROUND_TRIP;
    // The round trip of the newest piece dropped, when it went only once.
    double newestOnce = -1.0;
    while (outQueue.firstChild && asPacket(outQueue.firstChild)->sequence <= sequenceAcked) {
        Packet* piece = asPacket(outQueue.firstChild);
        double roundTrip = now - piece->time;
        if (roundTrip < quickest)
            quickest = roundTrip;
        newestOnce = std::binary_search(resent.begin(), resent.end(), piece->sequence) ? -1.0 : roundTrip;
        if (!outIndex.empty() && indexSlot(piece->sequence) == piece)
            indexSlot(piece->sequence) = nullptr;
        if (!queuedAt.empty()) {
            longestAckWait = std::max(longestAckWait, now - queuedAt.front());
            queuedAt.pop_front();
        }
        release(host, piece);
    }
    if (quickest < NO_ROUND_TRIP) {
        ping = 0.9 * ping + 0.1 * quickest;
        roundTrip = roundTrip >= 0.0 ? 0.875 * roundTrip + 0.125 * quickest : quickest;
    }
    if (newestOnce >= 0.0)
        sampleTimerRoundTrip(newestOnce);
    resent.erase(resent.begin(), std::upper_bound(resent.begin(), resent.end(), sequenceAcked));
}

bool Node::insertSorted(PlimBase& queue, Packet* piece, double now) {
    int32_t sequence = piece->sequence;
    BasicLink* after = queue.lastChild;
    BasicLink* first = queue.firstChild;
    // A resent piece mostly fills the oldest gap, at the front of a long
    // queue: the walk starts from the nearer end.
    if (after && int64_t(sequence) - asPacket(first)->sequence < int64_t(asPacket(after)->sequence) - sequence) {
        after = nullptr;
        for (BasicLink* l = first; l && asPacket(l)->sequence <= sequence; l = l->next)
            after = l;
    } else {
        while (after && asPacket(after)->sequence > sequence)
            after = after->prev;
    }
    if (after && asPacket(after)->sequence == sequence) {
        release(host, piece);
        return false;
    }
    bool toEnd = after == queue.lastChild;
    bool wasEmpty = queue.firstChild == nullptr;
    if (after)
        queue.insertChildAfter(piece, after);
    else
        queue.addChildFirst(piece);
    if (!wasEmpty && !toEnd && host && host->getConnection())
        host->getConnection()->getStats(now)->outOfOrder += 1;
    return true;
}

void Node::deliverContiguous(double now) {
    // The numbers tell whether the first piece goes: a piece that came behind
    // a gap leaves the queue's pieces untouched.
    size_t delivered = 0;
    while (delivered < heldAhead.size() && heldAhead[delivered] == sequenceIn + 1 && inQueue.firstChild) {
        Packet* piece = asPacket(inQueue.firstChild);
        inQueue.removeChild(piece);
        contiguousQueue.addChild(piece);
        contiguousBytes += piece->getLength();
        ++contiguousPieces;
        contiguousEnds += !piece->continued;
        ++sequenceIn;
        lastHeard = now;
        ++delivered;
    }
    heldAhead.erase(heldAhead.begin(), heldAhead.begin() + delivered);
}

bool Node::reassemble() {
    if (contiguousEnds == 0) {
        if (contiguousBytes > MAX_JOINED_BYTES || contiguousPieces > MAX_JOINED_PIECES)
            bOverflow = true;
        return false;
    }
    int64_t total = joining ? joining->getLength() : 0;
    int count = joiningPieces;
    BasicLink* last = nullptr;
    for (BasicLink* l = contiguousQueue.firstChild; l; l = l->next) {
        total += asPacket(l)->getLength();
        ++count;
        if (!asPacket(l)->continued) {
            last = l;
            break;
        }
    }
    if (total > MAX_JOINED_BYTES || count > MAX_JOINED_PIECES) {
        bOverflow = true;
        return false;
    }
    if (!last) { // the counts went wrong: take the walk's
        contiguousBytes = total;
        contiguousPieces = count;
        contiguousEnds = 0;
        return false;
    }
    contiguousBytes -= total;
    contiguousPieces -= count;
    contiguousEnds -= 1;
    Packet* whole;
    if (count == 1 && !joining) {
        whole = asPacket(last);
        contiguousQueue.removeChild(whole);
    } else {
        if (joining) {
            whole = joining;
            joining = nullptr;
            whole->reserve(static_cast<int32_t>(total));
        } else {
            whole = new Packet(Packet::FLAG_FILTER1, static_cast<int32_t>(total));
        }
        for (int i = joiningPieces; i < count; ++i) {
            Packet* piece = asPacket(contiguousQueue.firstChild);
            piece->append(whole);
            release(host, piece);
        }
        joiningPieces = 0;
        whole->rewindToRead();
    }
    handOver(whole);
    return true;
}

void Node::handOver(Packet* whole) {
    whole->parent = nullptr;
    if (host)
        host->queueReady(whole);
    else
        delete whole;
}

bool Node::joinsDirectly(const Packet& datagram) const {
    return datagram.sequence == sequenceIn + 1 && !inQueue.firstChild && !contiguousQueue.firstChild &&
           (datagram.continued || joining);
}

void Node::joinDirectly(const Packet& datagram, int count, double now) {
    // The limits as for pieces queued (see reassemble).
    if (contiguousBytes + count > MAX_JOINED_BYTES || contiguousPieces + 1 > MAX_JOINED_PIECES) {
        bOverflow = true;
        return;
    }
    if (!joining) {
        joining = new Packet(Packet::FLAG_FILTER1, std::max(joinedRoom, count));
        joining->peer = datagram.peer;
        joining->address = datagram.address;
        joining->time = datagram.time;
        joining->sequence = datagram.sequence;
        joining->continued = datagram.continued;
    }
    int64_t length = int64_t(joining->getLength()) + count;
    if (length > joining->capacity) {
        int64_t room = std::max<int64_t>(2 * int64_t(joining->capacity), length);
        joining->reserve(int32_t(std::min<int64_t>(room, MAX_JOINED_BYTES)));
    }
    joining->doBytes(datagram.cursor, count);
    ++joiningPieces;
    contiguousBytes += count;
    ++contiguousPieces;
    ++sequenceIn;
    lastHeard = now;
    if (datagram.continued)
        return;
    Packet* whole = joining;
    joining = nullptr;
    contiguousBytes -= whole->getLength();
    contiguousPieces -= joiningPieces;
    joiningPieces = 0;
    joinedRoom = whole->getLength();
    whole->rewindToRead();
    handOver(whole);
}

void Node::receivePiece(Packet& datagram, int count, double now) {
    if (joinsDirectly(datagram))
        joinDirectly(datagram, count, now);
    else
        newIncoming(datagram.slice(count, host ? host->takePiece(count) : nullptr), now);
}

void Node::processIncoming(double now) {
    deliverContiguous(now);
    while (reassemble()) {
    }
}

void Node::newIncoming(Packet* piece, double now) {
    // Any new piece shows the peer alive, even while an earlier one is missing.
    int32_t sequence = piece->sequence;
    if (insertSorted(inQueue, piece, now)) {
        heldAhead.insert(std::lower_bound(heldAhead.begin(), heldAhead.end(), sequence), sequence);
        lastHeard = now;
    }
    processIncoming(now);
}
