#pragma once
// The replication role: the host that keeps the map of replicated objects,
// runs the network tick (receive or play back and execute commands, tick the
// world below it, send what was written) and owns the shared random
// generator, the recording and the playback. While its constructor, tick,
// render and startRecording run it is the current role (THEROLE); each puts
// back the role it found, so two roles may share a process.
//
// Whatever arrives from the network or a recording is untrusted: a command
// that cannot be executed drops the rest of its packet (what ran stands), is
// logged with the peer and the reason, and removes the peer (a client then
// ends with quitReason 2; a playback ends with quitReason 4). Local misuse
// stays fatal.
#include "serial/Packet.h"
#include "serial/ReplicationRole.h"
#include "util/V3.h"
#include "NetHost.h"

#include <set>
#include <unordered_map>

class NetPlayback;
class NetRecording;
class RuntimeClass;
class TextPrinter;

class NetRole : public NetHost, public ReplicationRole {
public:
    enum : size_t { RPCCOUNT = 1024 };
    enum { MAX_PACKET = 65536 };
    enum { SPAWNOBJ = 0, SPAWNNAMED = 1, COPYOBJ = 2, RPC_COMMAND = 3 };
    enum {
        QUIT_USER = 1,
        QUIT_DISCONNECTED = 2,
        QUIT_GAME_OVER = 3,
        QUIT_PLAYBACK_FINISHED = 4,
        QUIT_EMERGENCY = 7
    };
    enum { DEBUG_OVERLAY = 0x200 };

    NetRole(const UString& gameName, double version, const UString& playerName, int hostMode, bool isServer);
    ~NetRole() override;

    void tick(double time, double dt) override;
    void render() override;
    void processPacket(Packet* packet) override;
    void flushGlobalState() override;
    // On the server a new peer gets a snapshot of its own.
    void onPeerConnected(Node* peer) override;
    // On a client a refusal ends the connection, and its reason is the status text.
    void onConnectionRejected(const UString& message) override;

    virtual void renderDebugInfo(V3 origin, TextPrinter* font);
    virtual void processCommand(Packet* packet, int command);

    // ReplicationRole
    bool isServerSide() const override { return isServer(); }
    void writeRPC(RPC* call, Packet* packet) override;
    PlimBase* lookupObject(int uid) override;
    void registerObject(PlimBase* object, int uid) override;
    void unregisterObject(PlimBase* object) override;

    // Fatal ("Could not find object ID %d") when the UID is not registered.
    PlimBase* findObject(int uid);
    void netPostReplicateGlobalAll();
    // 64-bit FNV-1a over the registered objects by ascending UID: the UID as
    // 4 bytes, the class name, and the state as a flags-1 packet holds it.
    // Two sides that executed the same commands give the same value.
    uint64_t worldHash();
    void dumpObjectMap();
    UString getStatusText() const;
    void startRecording(const UString& fileName);
    void startPlayback(const UString& fileName);

    // A null packet means outPacket. No packet passes MAX_PACKET bytes: a
    // command that would not fit sends outPacket (or closes the snapshot's
    // record) and opens the next one.
    void writeSpawnObject(PlimBase* object, Packet* packet);
    void writeSpawnNamed(PlimBase* object, Packet* packet);
    void writeCopyObject(PlimBase* object, Packet* packet);
    void writeSnapshot(Packet* packet);
    // The snapshot as packets of its own to one peer.
    void sendSnapshot(Node* peer);

    int32_t quitReason = 0;
    std::unordered_map<int, PlimBase*> objectMap;
    NetRecording* netRecording = nullptr;
    NetPlayback* netPlayback = nullptr;
    // Room for one command beyond MAX_PACKET, taken back before sending.
    Packet outPacket{Packet::FLAG_FILTER1, 2 * MAX_PACKET};
    bool bNetTicked = false;
    int32_t netTickCount = 0;
    double netTime = 0.0;
    double netDeltaTime = 0.0;
    double nextNetTick = 0.0;
    double netTickInterval = 0.05;
    int32_t rpcCounts[RPCCOUNT] = {};
    int32_t rpcCountsLast[RPCCOUNT] = {};

private:
    // Why the server refused or ended a client's connection, as it said.
    UString refusal;
    // Where a full snapshot packet goes instead of outPacket's peers.
    struct Sink {
        Packet* packet = nullptr;
        NetRecording* recording = nullptr;
        Node* peer = nullptr;
    };
    template <class Body> void writeCommand(Packet* packet, int code, Body body);
    void sendFull(Packet* packet);
    // Empty packets, MAX_REQUEST_CARRIERS at most, to a peer whose resend
    // requests due did not all fit in the tick's packet: a client that says
    // little would otherwise ask for fewer pieces a second than a server
    // sending much loses under heavy loss, and the gaps would pile up.
    void carryResendRequests();
    enum { MAX_REQUEST_CARRIERS = 3 };
    void count(int code);
    Packet* target(Packet* packet) { return packet ? packet : &outPacket; }
    // Checks a command from outside before it changes anything; the reason
    // when it must not run.
    UString refuseSpawn(RuntimeClass* cls, int uid, bool named);
    UString readClass(Packet* packet, RuntimeClass*& cls);
    // Drops the rest of the packet and deals with its sender.
    void rejectInput(Packet* packet, const UString& reason);
    // The role to make current again when this one steps down.
    ReplicationRole* roleToRestore(ReplicationRole* found) const;

    ReplicationRole* roleBeforeConstruction;
    // Every role alive, so that one deleted meanwhile is never made current.
    static std::set<ReplicationRole*> liveRoles;
    bool bFirstTickDone = false;
    // The packet being executed came from the playback.
    bool bPlayingBack = false;
    // The reason the command being executed must stop its packet.
    UString inputFault;
    Sink sink;
    // Objects made from commands, deleted with the role when nothing owns them.
    std::set<PlimBase*> spawned;
};
