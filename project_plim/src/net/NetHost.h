#pragma once
// The connection layer: one per program copy, as server or client. Owns the
// peers, performs the handshake with connection packets, receives every
// datagram of its connection, keeps the reliable ordered data path to each
// peer, hands whole received packets to processPacket and drops silent peers.
// Subclasses react through the six virtual operations.
#include "serial/Packet.h"
#include "core/LogLimiter.h"
#include "core/PlimBase.h"
#include "util/UString.h"
#include "NetAddress.h"

#include <cstdint>
#include <vector>

class NetConnection;
class NetStats;
class Node;

class NetHost : public PlimBase {
public:
    enum : uint32_t { CONNECTION_MARKER = 0xFEFDFCFBu };
    enum { TYPE_CONNECT = 0, TYPE_ACCEPT = 1, TYPE_REJECT = 2, TYPE_DISCONNECT = 3 };
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
        // Before a new peer has shown that it receives at its address, it
        // gets at most this many times the bytes that came from there.
        UNCONFIRMED_AMPLIFICATION = 3,
        // A piece packet's capacity: a piece and the longest header before it.
        PIECE_CAPACITY = MAX_PIECE + 64,
        // Spare piece packets kept for reuse at most.
        MAX_SPARE_PIECES = 512,
        // Accepted requests waiting to show that they receive; a newer one
        // pushes out the oldest. Room for a fraction of a second of a flood.
        MAX_PENDING = 128,
        // Connect requests traced per second at most: the console keeps every
        // line, and a flood must not fill it.
        MAX_TRACED_REQUESTS = 5
    };
    // An accepted request that has not shown it within this time is forgotten.
    static constexpr double UNCONFIRMED_TIMEOUT = 1.9;

    NetHost(const UString& gameName, double version, const UString& playerName, int hostMode, bool isServer);
    ~NetHost() override;

    // On a server once the peer has shown that it receives, on a client at the accept.
    virtual void onPeerConnected(Node* peer) {}
    virtual void onPeerDisconnected(Node* peer) {}
    // A whole received packet, deleted after the call.
    virtual void processPacket(Packet* packet) {}
    virtual void onConnectionRejected(const UString& message) {}
    virtual void flushGlobalState() {}
    // Dispatches one received datagram to the handshake or the data path.
    virtual void servicePacket(Packet* datagram);

    int getPeerCount() const;
    int getPendingCount() const { return static_cast<int>(pending.getNumChildren()); }
    void sendConnectRequest(NetAddress to);
    void sendAccept(Node* peer);
    // With a limit, the message is cut so that the datagram takes at most that many bytes.
    void sendReject(NetAddress to, const UString& message, int limit = -1);
    void sendDisconnect(Node* peer);
    Node* findPeer(NetAddress address);
    // The port is not compared; from may be null.
    Node* findPeerById(uint32_t id, const NetAddress* from);
    // A peer at the datagram's address, taken as one that receives there.
    Node* addPeer(Packet* from, const UString& name);
    // Makes a waiting request a peer: named, counted and told to onPeerConnected.
    Node* admit(Node* waiting);
    void removePeer(Node* peer, bool notify);
    void disconnectAll();
    // Receives and dispatches every waiting datagram, hands over whole
    // packets, drops silent peers.
    void update();
    void serviceInPacketSpecial(Packet* datagram);

    void sendToAll(Packet* packet);
    void sendToPeer(Packet* packet, Node* peer);
    void serviceInPacketNormal(Packet* datagram, uint32_t senderUID);
    // Sends again the oldest unacknowledged piece of a peer once it has waited
    // a few round trips: no request can name a lost last piece, and requests
    // get lost too.
    void resendOverdue(Node* peer, double now);
    // Removes the peer without a notice and logs which peer and why.
    void dropPeer(Node* peer, const char* reason);
    // A packet of PIECE_CAPACITY for a piece of at most that many bytes, a
    // spare one when there is one; null for a longer piece.
    Packet* takePiece(int bytes);
    // A packet done with (unlinked first) becomes a spare when it has a
    // piece's capacity and there is room; else it is deleted.
    void recyclePiece(Packet* packet);

    // Handshake traces: the console when there is one, else the log.
    void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));

    NetConnection* connection = nullptr;
    bool ownsConnection = false;
    uint32_t hostUID = 0;
    int32_t hostMode;
    PlimBase peers;
    // A server's accepted requests that have not shown that they receive, oldest first.
    PlimBase pending;
    int32_t maxPeers = 0;
    double timeout = 5.0;
    PlimBase readyQueue;
    bool isServer;
    Packet pieceBuffer{Packet::FLAG_FILTER1, -1};
    UString gameName;
    double version;
    UString playerName;
    // Where a client sent its latest connect request: only that address may accept or refuse it.
    NetAddress dialled;

private:
    // The datagrams of the packet being sent, handed to the connection together.
    std::vector<Packet*> pieceBatch;
    // Each piece would otherwise cost an allocation and a free on both sides.
    std::vector<Packet*> sparePieces;
    // Traces are off while a request beyond the allowance is handled.
    bool bQuietTrace = false;
    double traceSecond = -1.0;
    int tracedRequests = 0, untracedRequests = 0;
    int pushedOut = 0;
    // Log lines that datagrams from outside cause, a few a second of each kind.
    LogLimiter handshakeLog{"serviceInPacketSpecial"};
    LogLimiter dataLog{"serviceInPacketNormal"};
    // Builds one data datagram and queues it in the peer's outQueue.
    Packet* makePiece(Packet* packet, Node* peer, int offset, int size);
    Packet* newConnectionPacket(int type);
    // To a peer, when given, within what its confirmation allows.
    void sendConnectionPacket(Packet* packet, NetAddress to, Node* peer = nullptr);
    // Whether bytes may go to the peer's address now; counts them.
    bool mayReach(Node* peer, int bytes);
    // Lists a peer that receives at its address, under a name no other peer carries.
    Node* join(Node* peer);
    void handleConnect(Packet* datagram);
    void handleAccept(Packet* datagram);
    void handleReject(Packet* datagram);
    void handleDisconnect(Packet* datagram);
    // A waiting request by identifier and exact address; null if none.
    Node* findPending(uint32_t id, const NetAddress& from);
    Node* findPendingAt(const NetAddress& from);
    // Lists an accepted request, pushing out the oldest when the list is full.
    Node* addPending(Packet* from, const UString& name);
    // The first candidate name no other peer carries (the last one when all are taken).
    UString uniqueName(const UString& name, const Node* except);
    // Forgets waiting requests that are too old.
    void expirePending(double now);
    // Tells a waiting request that showed itself too late that the server is full, and forgets it.
    void refuseLate(Node* waiting);
    // Whether this connect request's traces still fit this second's allowance.
    bool traceRequest(double now);
    // Once a second: one log line for the requests not traced and those pushed out.
    void reportFlood(double now);
    void logDrop(Node* peer, const char* reason);
    bool versionPasses(double v) const;
    // After a connection packet's body: nothing, or a CRC-32 of all before it that matches.
    static bool trailerIntact(Packet* datagram);
    const char* sideName() const { return isServer ? "SERVER" : "CLIENT"; }
};
