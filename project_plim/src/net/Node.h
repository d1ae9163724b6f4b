#pragma once
// One remote peer of a host: its identifier and address, the sequence numbers
// both ways, the round trips measured, and the three queues of pieces
// (received ahead of order, delivered and waiting for the rest of their
// packet, sent and not yet acknowledged).
#include "core/PlimBase.h"
#include "util/UString.h"
#include "NetAddress.h"

#include <cstdint>
#include <deque>
#include <vector>

class NetHost;
class Packet;

class Node : public PlimBase {
public:
    enum : uint32_t { CONNECTION_MARKER = 0xFEFDFCFBu };
    // No joined packet, and no packet still being joined, may pass these: a
    // packet of 64 KB with a piece's worth of a sender's own framing (such a
    // packet takes 130 pieces).
    enum { MAX_JOINED_BYTES = 65536 + 512, MAX_JOINED_PIECES = 1024 };
    enum {
        // The resend allowance: each piece sent first earns this many, and a
        // second earns the floor, up to the ceiling. An honest peer asks again
        // for a share of what it is sent (under 30% loss about half of it);
        // requests beyond that only cost.
        RESENDS_PER_PIECE = 1,
        RESENDS_PER_SECOND = 50,
        MAX_RESEND_ALLOWANCE = 2048
    };

    explicit Node(NetHost* host);
    ~Node() override;

    // Pieces enter outQueue only here and leave it only through processAcks
    // or with the node, which keeps its index by sequence number true.
    void addOutgoing(Packet* piece);
    // now: the engine clock, read once by the caller for all of a packet's pieces.
    void addOutgoing(Packet* piece, double now);
    // The next missing sequence number to ask for again; 0 for none.
    int nextResendRequest();
    // Up to max missing sequence numbers, lowest first, that were not asked
    // for within the retry interval; returns the count. now: the engine
    // clock, read once by the caller for all of a packet's pieces.
    int nextResendRequests(int32_t* out, int max, double now);
    // Whether nextResendRequests would name a number now (for owners that
    // send an otherwise empty packet to carry the requests).
    bool resendRequestDue() const;
    // How long a missing piece waits before it is asked for again: 1.5 round
    // trips and a margin, but no longer than a share of the host's time-out.
    double resendRetryInterval() const;
    // The longest a missing piece goes without being asked for again: the
    // host's time-out over the tries it must leave room for. Against 40% loss
    // each way a request and its answer get through with 0.36, and 0.64^31 is
    // below one in a million, whatever the round trip a loaded peer shows.
    double longestRetry() const;
    // How long the oldest piece waits for its acknowledgement after its last
    // send before the timer sends it again: the smoothed round trip, four
    // times its variation and the peer's acknowledgement delay, or a second
    // before the first round trip was measured; doubled with each of the
    // timer's resends since the round trip was last measured, up to a tenth of
    // the host's time-out or twice the wait, whichever is longer.
    double resendTimeout() const;
    // The oldest piece unacknowledged once resendTimeout passed since it last
    // went (no request names a lost last piece, and requests get lost too),
    // or longestRetry when the peer asked for it, while the resend allowance
    // lasts; else null. The caller sends it.
    Packet* overdueResend(double now);
    // The round trip that times resend requests and the answers to them:
    // roundTrip once measured, else ping (still its first 0.25 s).
    double resendRoundTrip() const { return roundTrip >= 0.0 ? roundTrip : ping; }
    // The piece with that number in outQueue, through the index: no walk.
    Packet* findOutgoing(int sequence);
    // Sends again the requested pieces that were not sent within half a round
    // trip (or longestRetry), at most as many of one datagram's requests as a
    // sender writes, and only while the allowance lasts; counts requests and
    // resends. Returns how many went.
    int serveResendRequests(const int32_t* requests, int count, double now);
    // Whether the oldest piece still unacknowledged was queued longer than
    // timeout ago: a peer that takes data and never acknowledges it, or
    // acknowledges a piece now and then, would hold it all.
    bool ackOverdue(double now, double timeout) const;
    // How long the oldest piece still unacknowledged has waited (0 for none),
    // and the longest wait seen, at acknowledgements and at each look (up to
    // the last time the peer was heard from).
    double ackWait(double now) const;
    double noteAckWait(double now);
    // Pieces queued before now count as queued now: the peer could not
    // acknowledge them before (a server before it admitted us).
    void restartAckClock(double now);
    // The piece of count bytes at the datagram's cursor (one that passed every
    // check): joined at once when it is the next in order with nothing held,
    // else taken into a piece of its own (from the host's spares) and held.
    void receivePiece(Packet& datagram, int count, double now);

    // 32 bits from the system's random source (not guessable from the time
    // a peer joined), never the connection packets' marker.
    static uint32_t randomUID();

    // Who the peer is: the identifier it puts on its datagrams, the secret of
    // the connection, its address and player name.
    uint32_t getUID() const { return nodeUID; }
    uint64_t getSecret() const { return secret; }
    const NetAddress& getAddress() const { return address; }
    const UString& getName() const { return name; }
    // The identifier and secret an accept or a confirmation gave the connection.
    void identify(uint32_t id, uint64_t connectionSecret);
    void moveTo(const NetAddress& to) { address = to; }
    void rename(const UString& to) { name = to; }
    // Whether a datagram with these credentials is this peer's: its secret,
    // its identifier when the datagram names one, from its exact address or,
    // with anyPort, its IP number. Every kind of datagram is checked so.
    bool holdsCredentials(const NetAddress& from, const uint32_t* id, uint64_t connectionSecret, bool anyPort) const;

    int32_t getSequenceIn() const { return sequenceIn; }
    int32_t getSequenceOut() const { return sequenceOut; }
    int32_t getSequenceAcked() const { return sequenceAcked; }
    int32_t getLastResendRequest() const { return lastResendRequest; }
    // The number of the next piece sent to the peer.
    int32_t takeSequenceOut() { return ++sequenceOut; }
    // Within the window ahead of what came in order, acknowledging only what was sent.
    bool plausible(int32_t sequence, int32_t ack) const;
    // Whether a datagram that passed every check may move a client to the
    // port it came from: only the next piece in order, newer than any before it.
    bool movesTo(int32_t sequence) const { return sequence == sequenceIn + 1 && sequence > sequenceNewest; }
    void noteNewest(int32_t sequence);
    // An acknowledgement that came: drops what it covers (see processAcks).
    void takeAcknowledgement(int32_t ack, double now);
    double getPing() const { return ping; }
    // Negative until the first round trip was measured.
    double getRoundTrip() const { return roundTrip; }
    double getLastHeard() const { return lastHeard; }
    // Set when a packet, joined or still being joined, passed either limit;
    // the host then removes the peer.
    bool overflowed() const { return bOverflow; }
    const PlimBase& getInQueue() const { return inQueue; }
    const PlimBase& getContiguousQueue() const { return contiguousQueue; }
    const PlimBase& getOutQueue() const { return outQueue; }
    // The oldest piece of outQueue that takes part in walks, or null.
    Packet* oldestOutgoing() const;

private:
    NetHost* host;
    uint32_t nodeUID;
    NetAddress address;
    int32_t sequenceAcked = 0;
    int32_t sequenceIn = 0;
    // The highest sequence number of any datagram from the peer that passed every check.
    int32_t sequenceNewest = 0;
    // Three round trips, each kept for its readers (no time-out reads any).
    // ping is what people are shown (the debug page of net-match's roles,
    // net-peer's stats line): a tenth of each acknowledgement's quickest piece,
    // it leaves 0.25 s slowly.
    double ping = 0.25;
    // The round trip that times resend requests and the answers to them
    // (resendRoundTrip), from the same pieces: smoothed like a TCP round trip
    // and taken from the first measurement on, so they are timed right from
    // the start; negative until then.
    double roundTrip = -1.0;
    // The round trip that times the timer's resends, with its mean variation:
    // smoothed so (RFC 6298) too, but measured only on pieces sent once, as
    // the acknowledgement of a piece sent twice may answer either send; under
    // loss it includes the wait for the gaps before the piece.
    double timerRoundTrip = -1.0;
    double timerVariation = 0.0;
    // The numbers of outQueue's pieces sent more than once, ascending: their
    // acknowledgement may answer any of their sends, and measures no round trip.
    std::vector<int32_t> resent;
    // The timer's resends since the round trip was last measured.
    int doublings = 0;
    // The oldest piece's number when a request of the peer named it: lost, not late.
    int32_t askedOldest = 0;
    double lastHeard;
    UString name;
    PlimBase inQueue;
    // The numbers of inQueue's pieces, ascending: the gaps to ask for are
    // found in it, not by a walk of the pieces (mostly out of the cache).
    std::vector<int32_t> heldAhead;
    PlimBase contiguousQueue;
    PlimBase outQueue;
    int32_t sequenceOut = 0;
    int32_t lastResendRequest = 0;
    // When each missing sequence number was last asked for, by number modulo
    // the ring's size; made at the first gap.
    struct AskedAt {
        int32_t sequence;
        double time;
    };
    std::vector<AskedAt> askedAt;
    bool bOverflow = false;
    // What contiguousQueue holds, kept as pieces come and go, so that a
    // packet is walked only once its last piece is there.
    int64_t contiguousBytes = 0;
    int contiguousPieces = 0;
    int contiguousEnds = 0;
    // The start of a packet joined as its pieces came in order, and how many
    // pieces it holds (counted in contiguousBytes and contiguousPieces too);
    // contiguousQueue's pieces follow it.
    Packet* joining = nullptr;
    int joiningPieces = 0;
    // The size of the packet last joined so: the next starts with that room.
    int joinedRoom = 0;
    // Hands the finished packet to the host.
    void handOver(Packet* whole);
    // The connection's secret, given by the server's accept: every data
    // datagram and disconnect both ways carries it.
    uint64_t secret = 0;
    // outQueue's pieces by sequence number modulo the ring's size, a power of
    // two grown whenever two pieces would share a slot.
    std::vector<Packet*> outIndex;
    // When each piece of outQueue was queued, oldest first: a peer that
    // acknowledges a piece now and then still cannot keep the rest waiting.
    std::deque<double> queuedAt;
    // Resends that may still go (see RESENDS_PER_PIECE) and when it was last topped up.
    double resendAllowance = 0.0;
    double allowanceTime;
    double longestAckWait = 0.0;
    Packet*& indexSlot(int32_t sequence);
    void indexOutgoing(Packet* piece);
    // Doubles the ring until every piece of outQueue has a slot of its own.
    void growIndex();
    // Takes one resend from the allowance, topped up to now; false when none is left.
    bool takeResend(double now);
    // The missing numbers due for a request, without marking them asked.
    int dueResendRequests(int32_t* out, int max, double now) const;
    double hostTimeout() const;
    void noteResent(int32_t sequence);
    void sampleTimerRoundTrip(double sample);
    // Drops what sequenceAcked covers; the quickest round trip among them moves ping.
    // now: the engine clock, read once by the caller for the whole datagram.
    void processAcks(double now);

    // The steps of receivePiece, which keep heldAhead the numbers of
    // inQueue's pieces, all above sequenceIn.
    // A received piece whose sequence number is above sequenceIn.
    void newIncoming(Packet* piece, double now);
    // Whether the datagram's piece (the next in order, nothing waiting behind
    // it) goes straight into the packet being joined: a piece of a longer
    // packet, or the end of one begun so.
    bool joinsDirectly(const Packet& datagram) const;
    // Copies the piece of count bytes at the datagram's cursor onto the packet
    // being joined, instead of into a piece of its own that is copied again.
    void joinDirectly(const Packet& datagram, int count, double now);
    // Sorted insert; a duplicate is deleted. False when it was a duplicate.
    bool insertSorted(PlimBase& queue, Packet* piece, double now);
    void deliverContiguous(double now);
    // Joins whole packets onto the host's ready queue; false when it stopped
    // at an incomplete packet or found none.
    bool reassemble();
    void processIncoming(double now);
};
