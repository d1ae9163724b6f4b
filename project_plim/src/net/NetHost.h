#pragma once
// The connection layer: one per program copy, as server or client. Owns the
// peers, performs the handshake with connection packets, receives every
// datagram of its connection, keeps the reliable ordered data path to each
// peer, hands whole received packets to processPacket and drops silent peers.
// Every datagram after the handshake carries the connection's secret; a server
// keeps nothing per request until a client confirms its accept (NetAdmission).
// Subclasses react through the seven virtual operations.
#include "serial/Packet.h"
#include "core/LogLimiter.h"
#include "core/PlimBase.h"
#include "util/UString.h"
#include "NetAddress.h"
#include "NetAdmission.h"
#include "NetAnswerBudget.h"
#include "NetTicket.h"

#include <cstdint>
#include <vector>

class NetConnection;
class NetStats;
class Node;

class NetHost : public PlimBase {
public:
    enum : uint32_t { CONNECTION_MARKER = 0xFEFDFCFBu };
    enum { TYPE_CONNECT = 0, TYPE_ACCEPT = 1, TYPE_REJECT = 2, TYPE_DISCONNECT = 3, TYPE_RETRY = 4,
           TYPE_CONFIRM = 5 };
    enum {
        HOST_MODE_SINGLE_PEER = 4, // counts exactly one peer
        MAX_PIECE = 512,
        MAX_GAME_NAME = 32,
        MAX_PLAYER_NAME = 16,
        MAX_NAME_SUFFIX = 15,
        // Pieces further ahead of the last in-order one are not kept.
        MAX_SEQUENCE_AHEAD = 4096,
        // Resend requests a datagram carries: with the flag and the piece's
        // bit they fill the one bit byte.
        MAX_REQUESTS_WRITTEN = 6,
        MAX_REQUESTS_READ = 32,
        // A piece packet's capacity: a piece and the longest header before it.
        PIECE_CAPACITY = MAX_PIECE + 64,
        // Spare piece packets kept for reuse at most.
        MAX_SPARE_PIECES = 512,
        // Connect requests traced per second at most: the console keeps every
        // line, and a flood must not fill it.
        MAX_TRACED_REQUESTS = 5,
        // The per-connection secret after the identifier of every data
        // datagram and in the connection packets that concern a connection.
        SECRET_BYTES = 8,
        // Datagrams taken from the connection in one update at most (over
        // three services' worth at 50,000 a second): what a flood leaves
        // waits for the next update, and the game goes on meanwhile.
        MAX_DRAINED = 8192
    };
    // Nor does one update take datagrams for longer than this (less than half
    // of the replication tick) after its first few, however slowly it is
    // given the processor.
    static constexpr double MAX_DRAIN_SECONDS = 0.02;
    // A peer heard nothing from, or whose data waits unacknowledged, this long is dropped.
    static constexpr double DEFAULT_TIMEOUT = 5.0;
    // An owner asks again this often until its request is answered: a first
    // request that a flood left unanswered (see NetAnswerBudget) costs a
    // newcomer no more than this.
    static constexpr double CONNECT_INTERVAL = 0.25;
    // The wire's own version, sent in the connect request and the accept
    // where the game's version went before the wire named its own (2.60 at
    // most), and the least one taken: a peer of an older wire is refused with
    // the version reason, which every wire reads; a newer one refuses us.
    static constexpr double WIRE_VERSION = 3.00;
    // version: the wire version this host speaks, WIRE_VERSION (tests of other wires give another).
    NetHost(const UString& gameName, double version, const UString& playerName, int hostMode, bool isServer);
    ~NetHost() override;

    // On a server once the client's confirmation proves its accept, on a client at the accept.
    virtual void onPeerConnected(Node* peer) {}
    virtual void onPeerDisconnected(Node* peer) {}
    // Before onPeerDisconnected, when this side gave up on the peer, and why.
    virtual void onPeerDropped(Node* peer, const char* reason) {}
    // A whole received packet, deleted after the call.
    virtual void processPacket(Packet* packet) {}
    virtual void onConnectionRejected(const UString& message) {}
    virtual void flushGlobalState() {}
    // Dispatches one received datagram to the handshake or the data path.
    virtual void servicePacket(Packet* datagram);

    int getPeerCount() const;
    // Repeated to the same address while no accept came, it keeps its nonce.
    void sendConnectRequest(NetAddress to);
    void sendDisconnect(Node* peer);
    Node* findPeer(NetAddress address);
    // The port is not compared; from may be null.
    Node* findPeerById(uint32_t id, const NetAddress* from);
    // A peer at the datagram's address, taken as one that receives there.
    Node* addPeer(Packet* from, const UString& name);
    // The peer that sent a datagram with these credentials (see
    // Node::holdsCredentials), or null: the one check of every kind.
    Node* credentialed(const NetAddress& from, const uint32_t* id, uint64_t secret, bool anyPort);
    void removePeer(Node* peer, bool notify);
    void disconnectAll();
    // Receives and dispatches the datagrams waiting (MAX_DRAINED at most,
    // for MAX_DRAIN_SECONDS at most), hands over whole packets, drops silent
    // peers.
    void update();
    void serviceInPacketSpecial(Packet* datagram);

    void sendToAll(Packet* packet);
    void sendToPeer(Packet* packet, Node* peer);
    // One data datagram: parse, authenticate (or admit), address, acknowledgement,
    // resend requests, piece; each a step of its own.
    void serviceInPacketNormal(Packet* datagram, uint32_t senderUID);
    // Sends again the oldest unacknowledged piece of a peer once it is
    // overdue (Node::overdueResend).
    void resendOverdue(Node* peer, double now);
    // Removes the peer without a notice and logs which peer and why.
    void dropPeer(Node* peer, const char* reason);
    // A packet of PIECE_CAPACITY for a piece of at most that many bytes, a
    // spare one when there is one; null for a longer piece.
    Packet* takePiece(int bytes);
    // A packet done with (unlinked first) becomes a spare when it has a
    // piece's capacity and there is room; else it is deleted.
    void recyclePiece(Packet* packet);
    // A whole received packet for processPacket.
    void queueReady(Packet* packet);
    int getReadyCount() const { return static_cast<int>(readyQueue.getNumChildren()); }

    // Handshake traces: the console when there is one, else the log.
    void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));

    NetConnection* getConnection() const { return connection; }
    // The owner sets these before the first update or send.
    void setConnection(NetConnection* c, bool owns);
    void setMaxPeers(int count) { maxPeers = count; }
    void setTimeout(double seconds) { timeout = seconds; }
    double getTimeout() const { return timeout; }
    // The longest any piece of ours waited for its acknowledgement, over every
    // peer so far (one dropped for it included).
    double getLongestAckWait() const { return longestAckWait; }
    // On a client, whether the server has taken us: it acknowledged or sent data.
    bool shownByServer() const { return shownAt >= 0; }
    void setHostMode(int mode) { hostMode = mode; }
    uint32_t getHostUID() const { return hostUID; }
    // A replay takes the recorded host's identifier.
    void setHostUID(uint32_t id) { hostUID = id; }
    bool isServer() const { return bServer; }
    // The peers in the order they were added (walks skip destroyed children).
    const PlimBase& getPeers() const { return peers; }

private:
    // A data datagram's fields, read whole before any is used.
    struct InData {
        uint32_t id = 0;
        uint64_t secret = 0;
        int32_t sequence = 0;
        int ack = 0, length = 0;
        int requests[MAX_REQUESTS_READ];
        int requestCount = 0;
        bool badRequest = false;
        bool crcIntact = false;
        uint8_t* payload = nullptr;
    };
    NetConnection* connection = nullptr;
    bool ownsConnection = false;
    uint32_t hostUID = 0;
    int32_t hostMode;
    PlimBase peers;
    int32_t maxPeers = 0;
    double timeout = DEFAULT_TIMEOUT;
    double longestAckWait = 0.0;
    PlimBase readyQueue;
    bool bServer;
    Packet pieceBuffer{Packet::FLAG_FILTER1, -1};
    UString gameName;
    double version;
    UString playerName;
    // Where a client sent its latest connect request: only that address may accept or refuse it.
    NetAddress dialled;
    // A client's request waiting for its accept, and the nonce the accept must
    // echo (the confirmation carries it, with the slot its ticket was given in).
    bool bConnectPending = false;
    uint64_t connectNonce = 0;
    // A client's ticket from its accept, which its confirmation shows.
    NetTicket clientTicket;
    // A client's accept and latest confirmation.
    double acceptedAt = 0.0, confirmSentAt = 0.0;
    // The client's sequenceOut when the server first showed that it holds the
    // client (an acknowledgement or data); -1 before. A Retry of a datagram up
    // to there may answer one the server got before it admitted the client.
    int32_t shownAt = -1;
    NetAdmission admission;
    NetAnswerBudget answers;
    // The datagrams of the packet being sent, handed to the connection together.
    std::vector<Packet*> pieceBatch;
    // Each piece would otherwise cost an allocation and a free on both sides.
    std::vector<Packet*> sparePieces;
    // Traces are off while a request beyond the allowance is handled.
    bool bQuietTrace = false;
    LogLimiter requestTraces{"serviceInPacketSpecial", MAX_TRACED_REQUESTS, "connect attempts"};
    // Log lines that datagrams from outside cause, a few a second of each kind.
    LogLimiter handshakeLog{"serviceInPacketSpecial"};
    LogLimiter dataLog{"serviceInPacketNormal"};
    LogLimiter unanswered{"NetHost", 1, "datagrams past the answer budget"};

    // Builds one data datagram and queues it in the peer's outQueue.
    Packet* makePiece(Packet* packet, Node* peer, int offset, int size, double now);
    Packet* newConnectionPacket(int type);
    // Sends once. An answer to a datagram from an address that has not shown
    // that it receives (asked) goes only within the bytes it may take.
    void sendConnectionPacket(Packet* packet, NetAddress to, const Packet* asked = nullptr);
    void sendAccept(const NetAddress& to, uint64_t nonce, const Packet* asked);
    // token: the request's nonce, or the secret of the accept it takes back.
    // A client refusing an accept adds the accept's ticket (refused), which
    // the server checks as it checks a confirmation, laid out as the server's
    // wire lays it out.
    void sendReject(NetAddress to, const UString& message, uint64_t token, const Packet* asked = nullptr,
                    NetTicket* refused = nullptr, NetTicket::Layout layout = NetTicket::NONCE_THIRD);
    // To the sender of a data datagram, within the bytes it may take.
    void sendRetry(const Packet* datagram, const InData& in);
    // Whether an answer may go to the sender of a datagram that has not shown
    // that it receives: taken from the budget, with a line now and then when not.
    bool mayAnswer(const Packet& asked);
    // Lists a peer that receives at its address, under a name no other peer carries.
    Node* join(Node* peer);
    void handleConnect(Packet* datagram);
    void handleAccept(Packet* datagram);
    void handleReject(Packet* datagram);
    void handleDisconnect(Packet* datagram);
    void handleRetry(Packet* datagram);
    // A refusal for a connect request, or empty when the request passes.
    UString refusalOf(const UString& theirGame, double theirVersion);
    // Whether the other side's game and version can play with ours, and the
    // reason it cannot, told from this side (the client's version is too old
    // on a server, the server's on a client).
    enum Mismatch { SAME_GAME, OTHER_GAME, OLD_VERSION };
    Mismatch mismatchOf(const UString& theirGame, double theirVersion) const;
    UString reasonFor(Mismatch mismatch, double theirVersion) const;
    // The first candidate name no other peer carries (the last one when all are taken).
    UString uniqueName(const UString& name, const Node* except);
    // The data path's steps, in order.
    bool parseData(Packet* datagram, uint32_t senderUID, InData& in);
    Node* authenticate(Packet* datagram, const InData& in);
    // A server's peer for a client whose confirmation (asked) proves its
    // accept; null when it is full or the client's address has spent its
    // share of admissions, and the client is told why.
    Node* admitByTicket(const NetAddress& from, const NetTicket& ticket, const UString& name, const Packet* asked,
                        double now);
    // A client's datagram with its ticket and name.
    void sendConfirm(Node* server);
    // Sends the confirmation again until the server shows that it holds us,
    // while the ticket holds.
    void confirmUntilShown(Node* server, double now);
    // Sets shownAt once the server has acknowledged or sent something.
    void noteShown(Node* server);
    void handleConfirm(Packet* datagram);
    // The identifier and secret at the front of a body.
    static void readCredentials(Packet* datagram, uint32_t& id, uint64_t& secret);
    bool followAddress(Node* peer, const Packet* datagram, const InData& in);
    // False when the piece made the peer go.
    bool takePieceOf(Packet* datagram, Node* peer, const InData& in, double now);
    void logDrop(Node* peer, const char* reason);
    bool versionPasses(double v) const;
    // After a connection packet's body: nothing, or a CRC-32 of all before it that matches.
    static bool trailerIntact(Packet* datagram);
    const char* sideName() const { return bServer ? "SERVER" : "CLIENT"; }
    // The cheap checks before any field is parsed: a length no sender of
    // ours writes, or, on a client, anyone but the server it dialled.
    bool worthReading(const Packet& datagram) const;
};
