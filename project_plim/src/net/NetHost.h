#pragma once
// The connection layer: one per program copy, as server or client. Owns the
// peers, performs the handshake with connection packets, receives every
// datagram of its connection, keeps the reliable ordered data path to each
// peer, hands whole received packets to processPacket and drops silent peers.
// Subclasses react through the six virtual operations.
#include "serial/Packet.h"
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
        MAX_SPARE_PIECES = 512
    };
    // A peer that has not shown it within this time gives its slot back.
    static constexpr double UNCONFIRMED_TIMEOUT = 1.9;

    NetHost(const UString& gameName, double version, const UString& playerName, int hostMode, bool isServer);
    ~NetHost() override;

    virtual void onPeerConnected(Node* peer) {}
    virtual void onPeerDisconnected(Node* peer) {}
    // A whole received packet, deleted after the call.
    virtual void processPacket(Packet* packet) {}
    virtual void onConnectionRejected(const UString& message) {}
    virtual void flushGlobalState() {}
    // Dispatches one received datagram to the handshake or the data path.
    virtual void servicePacket(Packet* datagram);

    int getPeerCount() const;
    void sendConnectRequest(NetAddress to);
    void sendAccept(Node* peer);
    void sendReject(NetAddress to, const UString& message);
    void sendDisconnect(Node* peer);
    Node* findPeer(NetAddress address);
    // The port is not compared; from may be null.
    Node* findPeerById(uint32_t id, const NetAddress* from);
    Node* addPeer(Packet* from, const UString& name);
    void removePeer(Node* peer, bool notify);
    void disconnectAll();
    // Receives and dispatches every waiting datagram, hands over whole
    // packets, drops silent peers.
    void update();
    void serviceInPacketSpecial(Packet* datagram);

    void sendToAll(Packet* packet);
    void sendToPeer(Packet* packet, Node* peer);
    void sendPiece(Packet* packet, Node* peer, int offset, int size);
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
    int32_t maxPeers = 0;
    double timeout = 5.0;
    PlimBase readyQueue;
    bool isServer;
    Packet pieceBuffer{Packet::FLAG_FILTER1, -1};
    UString gameName;
    double version;
    UString playerName;

private:
    // The datagrams of the packet being sent, handed to the connection together.
    std::vector<Packet*> pieceBatch;
    // Each piece would otherwise cost an allocation and a free on both sides.
    std::vector<Packet*> sparePieces;
    // Builds one data datagram and queues it in the peer's outQueue.
    Packet* makePiece(Packet* packet, Node* peer, int offset, int size);
    Packet* newConnectionPacket(int type);
    // To a peer, when given, within what its confirmation allows.
    void sendConnectionPacket(Packet* packet, NetAddress to, Node* peer = nullptr);
    // Whether bytes may go to the peer's address now; counts them.
    bool mayReach(Node* peer, int bytes);
    // The peer has shown that it receives: what was held for it goes out.
    void confirm(Node* peer);
    void handleConnect(Packet* datagram);
    void handleAccept(Packet* datagram);
    bool versionPasses(double v) const;
    // After a connection packet's body: nothing, or a CRC-32 of all before it that matches.
    static bool trailerIntact(Packet* datagram);
    const char* sideName() const { return isServer ? "SERVER" : "CLIENT"; }
};
